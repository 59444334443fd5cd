#include "serial/tick_count.h"

#include <windows.h>

uint32_t CTickCount::MonotonicMs()
{
    return GetTickCount();
}
