#include "serial/arrival_signal.h"

#include <windows.h>

#include <synchapi.h>

void CArrivalSignal::BlockWhileGeneration(uint32_t generation, uint32_t ms)
{
    WaitOnAddress(&m_nGeneration, &generation, sizeof generation, ms);
}

void CArrivalSignal::WakeBlocked()
{
    WakeByAddressSingle(&m_nGeneration);
}
