#include "protocol/port_line_settings.h"

#include <cerrno>
#include <string>

#include "protocol/line_settings.h"
#include "serial/posix/com_port_resolver.h"
#include "serial/posix/tty_device.h"

bool BuildAccessPointLineSettings(int nPort, DCB& settings, int* error)
{
    int failure = 0;
    if (!error)
        error = &failure;
    *error = 0;
    if (nPort == 0)
        return false;
    const int fd = CTtyDevice::OpenPathExclusive(CComPortResolver::DevicePath("COM" + std::to_string(nPort)), error);
    if (fd < 0)
        return false;
    // Closed whatever the reading gave, before it is looked at.
    const bool read = CTtyDevice::GetCommState(fd, settings);
    if (!read)
        *error = errno;
    CTtyDevice::CloseExclusive(fd);
    if (!read)
        return false;
    ApplyAccessPointLineSettings(settings);
    return true;
}
