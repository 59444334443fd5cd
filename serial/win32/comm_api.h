#pragma once

#include <windows.h>

// The system calls a communications device is driven through, so that the
// driver can run against a model of the system's serial driver as well as
// against the real one. Each has the Win32 call's signature and contract;
// failures leave their code in GetLastError. Events stay real Win32 events.
class ICommApi {
public:
    virtual ~ICommApi() = default;

    virtual HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE templateFile) = 0;
    virtual BOOL CloseHandle(HANDLE port) = 0;
    virtual BOOL GetCommState(HANDLE port, LPDCB state) = 0;
    virtual BOOL SetCommState(HANDLE port, LPDCB state) = 0;
    virtual BOOL SetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts) = 0;
    virtual BOOL SetCommMask(HANDLE port, DWORD mask) = 0;
    virtual BOOL WaitCommEvent(HANDLE port, LPDWORD mask, LPOVERLAPPED overlapped) = 0;
    virtual BOOL ClearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status) = 0;
    virtual BOOL GetCommModemStatus(HANDLE port, LPDWORD status) = 0;
    virtual BOOL EscapeCommFunction(HANDLE port, DWORD function) = 0;
    virtual BOOL SetupComm(HANDLE port, DWORD inQueue, DWORD outQueue) = 0;
    virtual BOOL PurgeComm(HANDLE port, DWORD flags) = 0;
    virtual BOOL ReadFile(HANDLE port, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) = 0;
    virtual BOOL WriteFile(HANDLE port, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) = 0;
    virtual BOOL GetOverlappedResult(HANDLE port, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) = 0;
    virtual BOOL CancelIoEx(HANDLE port, LPOVERLAPPED overlapped) = 0;
};

// The system's own calls.
ICommApi& CommApi();
