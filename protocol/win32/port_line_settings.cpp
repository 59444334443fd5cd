#include "protocol/port_line_settings.h"

#include "protocol/line_settings.h"
#include "protocol/win32/comm_state.h"

bool BuildAccessPointLineSettings(int nPort, DCB& settings, int* error)
{
    int failure = 0;
    if (!error)
        error = &failure;
    *error = 0;
    if (nPort == 0 || !ReadCommState(nPort, &settings, sizeof settings, error))
        return false;
    ApplyAccessPointLineSettings(settings);
    return true;
}
