#include "protocol/win32/comm_state.h"

#include <windows.h>

#include <cstring>
#include <string>

bool ReadCommState(int nPort, void* record, size_t size, int* error)
{
    if (size != sizeof(DCB)) {
        *error = ERROR_INVALID_PARAMETER;
        return false;
    }
    const std::string path = "\\\\.\\COM" + std::to_string(nPort);
    const HANDLE port =
        ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        *error = static_cast<int>(::GetLastError());
        return false;
    }
    DCB state{};
    state.DCBlength = sizeof state;
    // Closed whatever the reading gave, before it is looked at.
    const bool read = ::GetCommState(port, &state);
    if (!read)
        *error = static_cast<int>(::GetLastError());
    ::CloseHandle(port);
    if (read)
        std::memcpy(record, &state, size);
    return read;
}
