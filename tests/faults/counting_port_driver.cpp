#include "tests/faults/counting_port_driver.h"

EIoStart CCountingPortDriver::ReadFile(HANDLE port, unsigned char& byte, OVERLAPPED& overlapped)
{
    const EIoStart started = CPosixPortDriver::ReadFile(port, byte, overlapped);
    m_bReadPending = started == EIoStart::Pending;
    if (started == EIoStart::Done)
        ++m_nDelivered;
    return started;
}

EIoStart CCountingPortDriver::WriteFile(HANDLE port, unsigned char byte, OVERLAPPED& overlapped)
{
    m_bReadPending = false;
    return CPosixPortDriver::WriteFile(port, byte, overlapped);
}

EIoWait CCountingPortDriver::GetOverlappedResult(HANDLE port, OVERLAPPED& overlapped, uint32_t& transferred)
{
    const EIoWait waited = CPosixPortDriver::GetOverlappedResult(port, overlapped, transferred);
    if (waited != EIoWait::Incomplete) {
        if (waited == EIoWait::Done && m_bReadPending && transferred == 1)
            ++m_nDelivered;
        m_bReadPending = false;
    }
    return waited;
}
