#pragma once

#include <cstdint>

// A manual-reset event: it stays signalled until reset, and the system
// object under it can be waited on together with a port's. On Windows that
// is an event object, whose handle joins an I/O's wait; elsewhere an eventfd,
// whose descriptor is polled with the port's.
class CManualResetEvent {
public:
    CManualResetEvent();
    ~CManualResetEvent();
    CManualResetEvent(const CManualResetEvent&) = delete;
    CManualResetEvent& operator=(const CManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;

    // Waits up to ms for one of two events or for extra (nullptr: none).
    // Returns the index of the lowest signalled event, 2 when only extra is
    // signalled, or WAIT_TIMEOUT.
    static int WaitAny(CManualResetEvent* const events[2], const CManualResetEvent* extra, uint32_t ms);

#ifdef _WIN32
    void* Handle() const { return m_handle; }
    // The same with a system event handle as the third object.
    static int WaitAnyOrHandle(CManualResetEvent* const events[2], void* extra, uint32_t ms);

private:
    void* m_handle;
#else
    int Fd() const { return m_fd; }
    // Waits up to ms for one of two events or for extraFd to become readable
    // (extraFd < 0: none). Returns the index of the lowest signalled event,
    // or WAIT_TIMEOUT; a readable extraFd ends the wait as a time-out.
    // extraRevents, when given, receives extraFd's poll events (0 if none).
    static int WaitAny(CManualResetEvent* const events[2], int extraFd, uint32_t ms, short* extraRevents = nullptr);

private:
    int m_fd;
#endif
};
