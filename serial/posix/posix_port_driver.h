#pragma once

#include <atomic>

#include "serial/port_driver.h"

// The port operations over a Linux tty: a non-blocking descriptor, poll for
// operations under way, FIONREAD for the bytes waiting, and the wait that
// also ends when the port has data, so replies are picked up at once.
class CPosixPortDriver : public IPortDriver {
public:
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
    EIoStart ReadFile(HANDLE port, unsigned char& byte, OVERLAPPED& overlapped) override;
    EIoStart WriteFile(HANDLE port, unsigned char byte, OVERLAPPED& overlapped) override;
    EIoWait GetOverlappedResult(HANDLE port, OVERLAPPED& overlapped, uint32_t& transferred) override;
    int WaitForMultipleObjects(CManualResetEvent* const events[2], uint32_t ms) override;

    // Worker cycles that ended because the port had data, not by time-out or
    // event: lets tests see that replies do not wait for the idle period.
    unsigned long DataWakeups() const { return m_nDataWakeups; }
    unsigned long Waits() const { return m_nWaits; }

private:
    enum class EPending { None, Read, Write };

    int m_fd = -1;
    uint32_t m_eventMask = 0;
    COMMTIMEOUTS m_timeouts{};
    // The other end hung up: reads fail and the port leaves the wait, which
    // would otherwise end at once for ever.
    bool m_bHungUp = false;
    EPending m_pending = EPending::None;
    unsigned char* m_pPendingRead = nullptr;
    unsigned char m_pendingWrite = 0;
    std::atomic<unsigned long> m_nDataWakeups{0};
    std::atomic<unsigned long> m_nWaits{0};
};
