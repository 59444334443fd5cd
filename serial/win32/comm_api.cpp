#include "serial/win32/comm_api.h"

namespace {
class CSystemCommApi final : public ICommApi {
public:
    HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                       DWORD flags, HANDLE templateFile) override
    {
        return ::CreateFileA(name, access, share, security, disposition, flags, templateFile);
    }
    BOOL CloseHandle(HANDLE port) override { return ::CloseHandle(port); }
    BOOL GetCommState(HANDLE port, LPDCB state) override { return ::GetCommState(port, state); }
    BOOL SetCommState(HANDLE port, LPDCB state) override { return ::SetCommState(port, state); }
    BOOL SetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts) override { return ::SetCommTimeouts(port, timeouts); }
    BOOL SetCommMask(HANDLE port, DWORD mask) override { return ::SetCommMask(port, mask); }
    BOOL WaitCommEvent(HANDLE port, LPDWORD mask, LPOVERLAPPED overlapped) override
    {
        return ::WaitCommEvent(port, mask, overlapped);
    }
    BOOL ClearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status) override
    {
        return ::ClearCommError(port, errors, status);
    }
    BOOL GetCommModemStatus(HANDLE port, LPDWORD status) override { return ::GetCommModemStatus(port, status); }
    BOOL EscapeCommFunction(HANDLE port, DWORD function) override { return ::EscapeCommFunction(port, function); }
    BOOL SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue) override { return ::SetupComm(port, inQueue, outQueue); }
    BOOL PurgeComm(HANDLE port, DWORD flags) override { return ::PurgeComm(port, flags); }
    BOOL ReadFile(HANDLE port, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) override
    {
        return ::ReadFile(port, buffer, count, read, overlapped);
    }
    BOOL WriteFile(HANDLE port, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) override
    {
        return ::WriteFile(port, buffer, count, written, overlapped);
    }
    BOOL GetOverlappedResult(HANDLE port, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) override
    {
        return ::GetOverlappedResult(port, overlapped, transferred, wait);
    }
    BOOL CancelIoEx(HANDLE port, LPOVERLAPPED overlapped) override { return ::CancelIoEx(port, overlapped); }
};
} // namespace

ICommApi& CommApi()
{
    static CSystemCommApi api;
    return api;
}
