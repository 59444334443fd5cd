#include "tests/faults/counting_port_driver.h"

int CCountingPortDriver::ClearCommError(HANDLE port)
{
    return m_bUnplugged ? 0 : CPosixPortDriver::ClearCommError(port);
}

EIoStart CCountingPortDriver::ReadFile(HANDLE port, unsigned char* buffer, uint32_t count, uint32_t& read,
                                       OVERLAPPED& overlapped)
{
    if (m_bUnplugged)
        return EIoStart::Failed;
    const EIoStart started = CPosixPortDriver::ReadFile(port, buffer, count, read, overlapped);
    m_bReadPending = started == EIoStart::Pending;
    if (started == EIoStart::Done)
        m_nDelivered += read;
    return started;
}

EIoStart CCountingPortDriver::WriteFile(HANDLE port, unsigned char byte, OVERLAPPED& overlapped)
{
    m_bReadPending = false;
    if (m_bUnplugged)
        return EIoStart::Failed;
    return CPosixPortDriver::WriteFile(port, byte, overlapped);
}

EIoWait CCountingPortDriver::GetOverlappedResult(HANDLE port, OVERLAPPED& overlapped, uint32_t& transferred)
{
    const EIoWait waited = CPosixPortDriver::GetOverlappedResult(port, overlapped, transferred);
    if (waited != EIoWait::Incomplete) {
        if (waited == EIoWait::Done && m_bReadPending)
            m_nDelivered += transferred;
        m_bReadPending = false;
    }
    return waited;
}
