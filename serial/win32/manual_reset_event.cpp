#include "serial/manual_reset_event.h"

#include <windows.h>

#include <system_error>

CManualResetEvent::CManualResetEvent() : m_handle(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    if (!m_handle)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateEvent");
}

CManualResetEvent::~CManualResetEvent()
{
    ::CloseHandle(m_handle);
}

void CManualResetEvent::Set()
{
    SetEvent(m_handle);
}

void CManualResetEvent::Reset()
{
    ResetEvent(m_handle);
}

bool CManualResetEvent::IsSet() const
{
    return WaitForSingleObject(m_handle, 0) == WAIT_OBJECT_0;
}

int CManualResetEvent::WaitAny(CManualResetEvent* const events[2], const CManualResetEvent* extra, uint32_t ms)
{
    return WaitAnyOrHandle(events, extra ? extra->Handle() : nullptr, ms);
}

int CManualResetEvent::WaitAnyOrHandle(CManualResetEvent* const events[2], void* extra, uint32_t ms)
{
    HANDLE handles[3] = {events[0]->Handle(), events[1]->Handle(), extra};
    // The system reports the lowest signalled index, as the engine expects.
    const DWORD result = ::WaitForMultipleObjects(extra ? 3 : 2, handles, FALSE, ms);
    if (result >= WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + 3)
        return static_cast<int>(result - WAIT_OBJECT_0);
    return WAIT_TIMEOUT;
}
