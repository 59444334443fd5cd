#pragma once

#include <sys/types.h>

#include <array>
#include <atomic>
#include <cstddef>

#include "serial/port_driver.h"
#include "serial/posix/trickle_watch.h"

// The port operations over a Linux tty: a non-blocking descriptor, poll for
// operations under way, FIONREAD for the bytes waiting, and the wait that
// also ends when the port has data, so replies are picked up at once.
// Like a serial driver, it keeps queues of its own, so the engine's one-byte
// writes do not each cost a system call: written bytes gather and
// reach the tty in one write when the worker next looks at the line or
// waits, and received bytes are taken from the tty in blocks. Bytes that
// trickle in at the line's pace gather for a moment before the wait ends,
// as a UART's FIFO gathers them before it interrupts.
class CPosixPortDriver : public IPortDriver {
public:
    // How long a trickle may gather: about 40 bytes at 115200 baud.
    static constexpr uint32_t kGatherMs = 4;

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
    // A hang-up, or EIO, ENXIO or ENODEV from the tty: the adapter or the
    // other side is gone.
    bool IsGone() const override { return m_bHungUp; }
    int LastError() const override { return m_nLastError; }

    // Worker cycles that ended because the port had data, not by time-out or
    // event: lets tests see that replies do not wait for the idle period.
    unsigned long DataWakeups() const { return m_nDataWakeups; }
    unsigned long Waits() const { return m_nWaits; }
    // Waits that let a trickle gather before they ended.
    unsigned long Gathers() const { return m_nGathers; }

private:
    enum class EPending { None, Read };
    // The driver's queues, as large as the ones the engine asks for.
    static constexpr size_t kOutputQueueSize = 4096;
    static constexpr size_t kInputQueueSize = 4096;

    size_t Queued() const { return m_inputEnd - m_inputNext; }
    // Moves up to count queued bytes into buffer; how many.
    uint32_t TakeQueued(unsigned char* buffer, uint32_t count);
    // Reads from the tty into the empty input queue; read()'s result.
    ssize_t FillInputQueue(int fd);
    void ClearInputQueue()
    {
        m_inputNext = m_inputEnd = 0;
        m_trickle.Reset();
    }

    // Hands the queued bytes to the tty, waiting while it takes no more for
    // at most the write time-out; what it does not take by then is lost, as
    // a timed-out write loses its byte.
    void FlushOutput();
    // Keeps errno as the last error; one that says the tty is gone marks
    // it hung up.
    void Failed(int error);
    void HungUp(int error)
    {
        m_nLastError = error;
        m_bHungUp = true;
    }

    int m_fd = -1;
    uint32_t m_eventMask = 0;
    COMMTIMEOUTS m_timeouts{};
    // The other end hung up: reads fail and the port leaves the wait, which
    // would otherwise end at once for ever.
    bool m_bHungUp = false;
    int m_nLastError = 0;
    // The tty has no modem lines (a pty): asking again would only cost.
    bool m_bNoModemLines = false;
    // The wait that just ended watched the port and saw no data: the next
    // look at the queue need not ask the tty. Bytes that came since end the
    // next wait at once.
    bool m_bPortQuiet = false;
    EPending m_pending = EPending::None;
    unsigned char* m_pPendingRead = nullptr;
    uint32_t m_nPendingCount = 0;
    std::array<unsigned char, kOutputQueueSize> m_output{};
    size_t m_nOutput = 0;
    std::array<unsigned char, kInputQueueSize> m_input{};
    size_t m_inputNext = 0;
    size_t m_inputEnd = 0;
    CTrickleWatch m_trickle;
    std::atomic<unsigned long> m_nDataWakeups{0};
    std::atomic<unsigned long> m_nWaits{0};
    std::atomic<unsigned long> m_nGathers{0};
};
