#include "serial/open_failure.h"

#include <cerrno>

#include "serial/posix/port_probe.h"
#include "serial/posix/tty_device.h"

PortAccess DescribeOpenFailure(const std::string& path, int error)
{
    if (error == 0) {
        const int fd = CTtyDevice::OpenPathExclusive(path, &error);
        if (fd >= 0) {
            // It opens now: the setting up failed, not the open.
            CTtyDevice::CloseExclusive(fd);
            error = EIO;
        }
    }
    PortAccess access;
    access.error = error;
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO: access.problem = EPortProblem::Gone; break;
    case EACCES:
    case EPERM:
        access.problem = EPortProblem::PermissionDenied;
        CPortProbe::DescribeOwnership(path, access);
        break;
    case EBUSY:
    case EWOULDBLOCK: access.problem = EPortProblem::InUse; break;
    default: access.problem = EPortProblem::Other; break;
    }
    return access;
}
