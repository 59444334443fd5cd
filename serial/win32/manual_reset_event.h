#pragma once

#include <cstdint>

// A manual-reset event over a Win32 event object: it stays signalled until
// reset, and its handle can be waited on together with an I/O's.
class CManualResetEvent {
public:
    CManualResetEvent();
    ~CManualResetEvent();
    CManualResetEvent(const CManualResetEvent&) = delete;
    CManualResetEvent& operator=(const CManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    void* Handle() const { return m_handle; }

    // Waits up to ms for one of two events or for extra (nullptr: none).
    // Returns the index of the lowest signalled event, 2 when only extra is
    // signalled, or WAIT_TIMEOUT.
    static int WaitAny(CManualResetEvent* const events[2], const CManualResetEvent* extra, uint32_t ms);
    // The same with a system event handle as the third object.
    static int WaitAnyOrHandle(CManualResetEvent* const events[2], void* extra, uint32_t ms);

private:
    void* m_handle;
};
