#include "protocol/posix/port_line_settings.h"

#include <string>

#include "protocol/line_settings.h"
#include "serial/posix/tty_device.h"

bool BuildAccessPointLineSettings(int nPort, DCB& settings)
{
    if (nPort == 0)
        return false;
    const int fd = CTtyDevice::OpenExclusive(("COM" + std::to_string(nPort)).c_str());
    if (fd < 0)
        return false;
    // Closed whatever the reading gave, before it is looked at.
    const bool read = CTtyDevice::GetCommState(fd, settings);
    CTtyDevice::CloseExclusive(fd);
    if (!read)
        return false;
    ApplyAccessPointLineSettings(settings);
    return true;
}
