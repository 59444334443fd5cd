#pragma once

#include <array>
#include <cstddef>

#include "serial/port_driver.h"
#include "serial/win32/comm_device.h"

// The port operations over a Win32 communications device. Like the POSIX
// driver it keeps queues of its own, so the engine's one-byte writes do not
// each cost a system call: written bytes gather and go out in one
// overlapped write when the worker next looks at the line or waits, and
// received bytes come in blocks from the one overlapped read it keeps
// pending, whose event the worker's wait watches beside its own. The mask
// and the waiting count are answered from what the driver knows itself, as
// some systems cannot say (GetCommMask, cbInQue); a port without modem lines
// is a three-wire line with CTS on.
class CWin32PortDriver : public IPortDriver {
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
    EIoStart ReadFile(HANDLE port, unsigned char* buffer, uint32_t count, uint32_t& read,
                      OVERLAPPED& overlapped) override;
    EIoStart WriteFile(HANDLE port, unsigned char byte, OVERLAPPED& overlapped) override;
    EIoWait GetOverlappedResult(HANDLE port, OVERLAPPED& overlapped, uint32_t& transferred) override;
    int WaitForMultipleObjects(CManualResetEvent* const events[2], uint32_t ms, bool portData) override;

private:
    static constexpr size_t kOutputQueueSize = 4096;

    size_t Queued() const { return m_inputEnd - m_inputNext; }
    // Moves up to count queued bytes into buffer; how many.
    uint32_t TakeQueued(unsigned char* buffer, uint32_t count);
    // Takes what the block read has brought, waiting up to ms for it, and
    // keeps a new one pending; false when the port has failed.
    bool TakeBlock(uint32_t ms);
    void FlushOutput();

    CCommDevice m_device;
    uint32_t m_eventMask = 0;
    COMMTIMEOUTS m_timeouts{};
    bool m_bHungUp = false;
    // GetCommModemStatus failed once: the port has no modem lines.
    bool m_bNoModemLines = false;
    unsigned char* m_pPendingRead = nullptr;
    uint32_t m_nPendingCount = 0;
    std::array<unsigned char, kOutputQueueSize> m_output{};
    size_t m_nOutput = 0;
    std::array<unsigned char, CCommDevice::kBlockSize> m_input{};
    size_t m_inputNext = 0;
    size_t m_inputEnd = 0;
};
