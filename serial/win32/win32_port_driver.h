#pragma once

#include "serial/port_driver.h"
#include "serial/win32/comm_device.h"

class ICommApi;

// The port operations over a Win32 communications device (see CCommDevice
// for how bytes move). Like the POSIX driver it keeps queues of its own, so
// the engine's one-byte writes do not each cost a system call: the engine's
// reads and writes are done at once against those queues, and only the
// worker's wait waits. The mask is answered from what the engine gave, as
// some systems cannot say (GetCommMask). The line settings applied are the
// port's own record with the access point's settings laid over it.
class CWin32PortDriver : public IPortDriver {
public:
    // Over the system's own calls.
    CWin32PortDriver();
    explicit CWin32PortDriver(ICommApi& api);

    HANDLE CreateFile(const char* name) override;
    void CloseHandle(HANDLE port) override;
    bool SetCommTimeouts(HANDLE port, const COMMTIMEOUTS& timeouts) override;
    bool SetCommMask(HANDLE port, uint32_t mask) override;
    bool GetCommMask(HANDLE port, uint32_t& mask) override;
    bool SetCommState(HANDLE port, const DCB& settings) override;
    bool SetupComm(HANDLE port, int inQueue, int outQueue) override;
    void PurgeComm(HANDLE port, uint32_t flags) override;
    void SetDtr(HANDLE port) override;
    int ClearCommError(HANDLE port) override;
    bool GetCommModemStatus(HANDLE port, uint32_t& status) override;
    EIoStart ReadFile(HANDLE port, unsigned char* buffer, uint32_t count, uint32_t& read,
                      OVERLAPPED& overlapped) override;
    EIoStart WriteFile(HANDLE port, unsigned char byte, OVERLAPPED& overlapped) override;
    EIoWait GetOverlappedResult(HANDLE port, OVERLAPPED& overlapped, uint32_t& transferred) override;
    int WaitForMultipleObjects(CManualResetEvent* const events[2], uint32_t ms, bool portData) override;
    bool IsGone() const override { return m_device.IsGone(); }
    int LastError() const override { return m_device.LastError(); }

private:
    CCommDevice m_device;
    uint32_t m_eventMask = 0;
};
