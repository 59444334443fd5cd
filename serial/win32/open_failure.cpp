#include "serial/open_failure.h"

#include <windows.h>

namespace {
// Ports above COM9 are reached only through the device namespace.
std::string DevicePath(const std::string& path)
{
    return path.rfind("\\\\", 0) == 0 ? path : "\\\\.\\" + path;
}
}  // namespace

PortAccess DescribeOpenFailure(const std::string& path, int error)
{
    if (error == 0) {
        const HANDLE port = ::CreateFileA(DevicePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (port != INVALID_HANDLE_VALUE) {
            // It opens now: the setting up failed, not the open.
            ::CloseHandle(port);
            error = ERROR_OPEN_FAILED;
        } else {
            error = static_cast<int>(::GetLastError());
        }
    }
    PortAccess access;
    access.error = error;
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: access.problem = EPortProblem::Gone; break;
    // A communications device is opened by one program at a time: any other
    // is refused access while it is held.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: access.problem = EPortProblem::InUse; break;
    default: access.problem = EPortProblem::Other; break;
    }
    return access;
}
