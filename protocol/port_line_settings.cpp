#include "protocol/port_line_settings.h"

#include "protocol/line_settings.h"

bool BuildAccessPointLineSettings(int nPort, DCB& settings, int* error)
{
    if (error)
        *error = 0;
    if (nPort == 0)
        return false;
    settings = AccessPointLineSettings();
    return true;
}
