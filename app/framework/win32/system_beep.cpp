// The system's beep, in a file of its own: elsewhere the framework's
// MessageBeep holds the name.
#include <windows.h>

void SystemBeep(unsigned type)
{
    ::MessageBeep(type);
}
