#include "serial/win32/win32_port_driver.h"

#include "serial/line_settings_overlay.h"

CWin32PortDriver::CWin32PortDriver() = default;

CWin32PortDriver::CWin32PortDriver(ICommApi& api) : m_device(api) {}

HANDLE CWin32PortDriver::CreateFile(const char* name)
{
    m_eventMask = 0;
    return m_device.Open(name) ? m_device.Id() : INVALID_HANDLE_VALUE;
}

void CWin32PortDriver::CloseHandle(HANDLE)
{
    m_device.Close();
}

bool CWin32PortDriver::SetCommTimeouts(HANDLE, const COMMTIMEOUTS&)
{
    // The device keeps time-outs of its own: its reads take what is there
    // and its writes wait for the line; nothing the engine calls blocks.
    return !m_device.IsGone();
}

bool CWin32PortDriver::SetCommMask(HANDLE, uint32_t mask)
{
    // The device watches the events it needs itself.
    m_eventMask = mask;
    return !m_device.IsGone();
}

bool CWin32PortDriver::GetCommMask(HANDLE, uint32_t& mask)
{
    mask = m_eventMask;
    return !m_device.IsGone();
}

bool CWin32PortDriver::SetCommState(HANDLE, const DCB& settings)
{
    // Another program's record (or one built from nothing) is not applied
    // as it is: the system refuses some, and some settings break the line.
    DCB own;
    if (!m_device.GetState(&own, sizeof own))
        return false;
    DCB merged = OverlayLineSettings(own, settings);
    if (m_device.SetState(&merged, sizeof merged))
        return true;
    if (m_device.IsGone() || m_device.HasModemLines())
        return false;
    // A line without modem lines may be a virtual one that carries bytes,
    // not bits (a pty behind Wine refuses parity once it has been set): it
    // gets the line without parity rather than none at all.
    merged.Parity = NOPARITY;
    merged.Flags &= ~DCB::fParity;
    return m_device.SetState(&merged, sizeof merged);
}

bool CWin32PortDriver::SetupComm(HANDLE, int inQueue, int outQueue)
{
    // A port that cannot size its queues keeps the ones it has.
    m_device.SetQueues(inQueue, outQueue);
    return !m_device.IsGone();
}

void CWin32PortDriver::PurgeComm(HANDLE, uint32_t flags)
{
    m_device.Purge(flags);
}

void CWin32PortDriver::SetDtr(HANDLE)
{
    m_device.SetDtr();
}

int CWin32PortDriver::ClearCommError(HANDLE)
{
    // Counted before what was queued goes out, a reply cannot slip in
    // ahead of the wait that follows: the wait sees it arrive.
    const int waiting = static_cast<int>(m_device.Waiting());
    m_device.Flush();
    return waiting;
}

bool CWin32PortDriver::GetCommModemStatus(HANDLE, uint32_t& status)
{
    return m_device.ModemStatus(status);
}

EIoStart CWin32PortDriver::ReadFile(HANDLE, unsigned char* buffer, uint32_t count, uint32_t& read, OVERLAPPED&)
{
    read = static_cast<uint32_t>(m_device.Receive(buffer, count));
    return read == 0 && m_device.IsGone() ? EIoStart::Failed : EIoStart::Done;
}

EIoStart CWin32PortDriver::WriteFile(HANDLE, unsigned char byte, OVERLAPPED&)
{
    return m_device.Queue(byte) ? EIoStart::Done : EIoStart::Failed;
}

EIoWait CWin32PortDriver::GetOverlappedResult(HANDLE, OVERLAPPED&, uint32_t& transferred)
{
    // Nothing the engine starts is left under way.
    transferred = 0;
    return EIoWait::Failed;
}

int CWin32PortDriver::WaitForMultipleObjects(CManualResetEvent* const events[2], uint32_t ms, bool portData)
{
    const int result = m_device.Wait(events, ms, portData);
    // Bytes or news at the port end the wait as a time-out; the next cycle
    // looks at them.
    return result < 0 ? WAIT_TIMEOUT : result;
}
