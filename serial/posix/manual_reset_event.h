#pragma once

#include <cstdint>

// A manual-reset event over an eventfd: it stays signalled until reset, and
// its descriptor can be polled together with a port's.
class CManualResetEvent {
public:
    CManualResetEvent();
    ~CManualResetEvent();
    CManualResetEvent(const CManualResetEvent&) = delete;
    CManualResetEvent& operator=(const CManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    int Fd() const { return m_fd; }

    // Waits up to ms for one of two events or for extraFd to become readable
    // (extraFd < 0: none). Returns the index of the lowest signalled event,
    // or WAIT_TIMEOUT; a readable extraFd ends the wait as a time-out.
    // extraRevents, when given, receives extraFd's poll events (0 if none).
    static int WaitAny(CManualResetEvent* const events[2], int extraFd, uint32_t ms, short* extraRevents = nullptr);
    // Waits up to ms for one of two events or for extra (nullptr: none).
    // Returns the index of the lowest signalled event, 2 when only extra is
    // signalled, or WAIT_TIMEOUT.
    static int WaitAny(CManualResetEvent* const events[2], const CManualResetEvent* extra, uint32_t ms);

private:
    int m_fd;
};
