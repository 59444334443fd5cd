#include "serial/posix/posix_port_driver.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "serial/posix/tty_device.h"

HANDLE CPosixPortDriver::CreateFile(const char* name)
{
    m_fd = CTtyDevice::OpenExclusive(name);
    m_bHungUp = false;
    m_pending = EPending::None;
    return m_fd < 0 ? INVALID_HANDLE_VALUE : m_fd;
}

void CPosixPortDriver::CloseHandle(HANDLE port)
{
    CTtyDevice::CloseExclusive(static_cast<int>(port));
    if (port == m_fd)
        m_fd = -1;
}

bool CPosixPortDriver::SetCommTimeouts(HANDLE, const COMMTIMEOUTS& timeouts)
{
    m_timeouts = timeouts;
    return true;
}

bool CPosixPortDriver::SetCommMask(HANDLE, uint32_t mask)
{
    m_eventMask = mask;
    return true;
}

bool CPosixPortDriver::GetCommMask(HANDLE, uint32_t& mask)
{
    mask = m_eventMask;
    return true;
}

bool CPosixPortDriver::SetCommState(HANDLE port, const DCB& settings)
{
    return CTtyDevice::SetCommState(static_cast<int>(port), settings);
}

bool CPosixPortDriver::SetupComm(HANDLE, int, int)
{
    // The kernel sizes a tty's queues itself.
    return true;
}

void CPosixPortDriver::PurgeComm(HANDLE port, uint32_t flags)
{
    if (flags & (PURGE_TXABORT | PURGE_RXABORT))
        m_pending = EPending::None;
    int queues = -1;
    if ((flags & PURGE_RXCLEAR) && (flags & PURGE_TXCLEAR))
        queues = TCIOFLUSH;
    else if (flags & PURGE_RXCLEAR)
        queues = TCIFLUSH;
    else if (flags & PURGE_TXCLEAR)
        queues = TCOFLUSH;
    if (queues >= 0)
        tcflush(static_cast<int>(port), queues);
}

void CPosixPortDriver::SetDtr(HANDLE port)
{
    int line = TIOCM_DTR;
    ioctl(static_cast<int>(port), TIOCMBIS, &line);
}

int CPosixPortDriver::ClearCommError(HANDLE port)
{
    int waiting = 0;
    if (m_bHungUp || ioctl(static_cast<int>(port), FIONREAD, &waiting) != 0)
        return 0;
    return waiting;
}

bool CPosixPortDriver::GetCommModemStatus(HANDLE port, uint32_t& status)
{
    int lines = 0;
    if (m_bHungUp || ioctl(static_cast<int>(port), TIOCMGET, &lines) != 0) {
        if (!m_bHungUp && errno == EIO)
            m_bHungUp = true;
        // A tty without modem lines (a pty) behaves as a three-wire line
        // with CTS looped back. A hung-up line says the same: its writes
        // fail and lose their bytes, so the queue empties instead of the
        // worker spinning for a CTS that will never come.
        if (m_bHungUp || errno == ENOTTY || errno == EINVAL) {
            status = MS_CTS_ON;
            return true;
        }
        return false;
    }
    status = ((lines & TIOCM_CTS) ? MS_CTS_ON : 0) | ((lines & TIOCM_DSR) ? MS_DSR_ON : 0) |
             ((lines & TIOCM_RI) ? MS_RING_ON : 0) | ((lines & TIOCM_CD) ? MS_RLSD_ON : 0);
    return true;
}

EIoStart CPosixPortDriver::ReadFile(HANDLE port, unsigned char& byte, OVERLAPPED&)
{
    ssize_t n = read(static_cast<int>(port), &byte, 1);
    if (n == 1)
        return EIoStart::Done;
    if (n < 0 && errno == EAGAIN) {
        m_pending = EPending::Read;
        m_pPendingRead = &byte;
        return EIoStart::Pending;
    }
    // End of file or EIO: the other end is gone.
    m_bHungUp = true;
    return EIoStart::Failed;
}

EIoStart CPosixPortDriver::WriteFile(HANDLE port, unsigned char byte, OVERLAPPED&)
{
    ssize_t n = write(static_cast<int>(port), &byte, 1);
    if (n == 1)
        return EIoStart::Done;
    if (n < 0 && errno == EAGAIN) {
        m_pending = EPending::Write;
        m_pendingWrite = byte;
        return EIoStart::Pending;
    }
    if (n < 0 && errno == EIO)
        m_bHungUp = true;
    return EIoStart::Failed;
}

EIoWait CPosixPortDriver::GetOverlappedResult(HANDLE port, OVERLAPPED& overlapped, uint32_t& transferred)
{
    transferred = 0;
    const EPending pending = m_pending;
    m_pending = EPending::None;
    if (pending == EPending::None)
        return EIoWait::Failed;
    const int fd = static_cast<int>(port);
    const bool reading = pending == EPending::Read;
    // A one-byte operation gets the multiplier once plus the constant.
    const uint32_t timeout = reading ? m_timeouts.ReadTotalTimeoutMultiplier + m_timeouts.ReadTotalTimeoutConstant
                                     : m_timeouts.WriteTotalTimeoutMultiplier + m_timeouts.WriteTotalTimeoutConstant;
    pollfd p{fd, static_cast<short>(reading ? POLLIN : POLLOUT), 0};
    int ready = poll(&p, 1, static_cast<int>(timeout));
    if (ready < 0)
        return EIoWait::Failed;
    if (ready > 0) {
        ssize_t n = reading ? read(fd, m_pPendingRead, 1) : write(fd, &m_pendingWrite, 1);
        if (n == 1)
            transferred = 1;
        else if (n == 0 || (errno != EAGAIN)) {
            m_bHungUp = true;
            return EIoWait::Failed;
        }
    }
    // Timed out or done: the operation has ended either way.
    if (overlapped.hEvent)
        overlapped.hEvent->Set();
    return EIoWait::Done;
}

int CPosixPortDriver::WaitForMultipleObjects(CManualResetEvent* const events[2], uint32_t ms)
{
    ++m_nWaits;
    short portEvents = 0;
    int result = CManualResetEvent::WaitAny(events, m_bHungUp ? -1 : m_fd, ms, &portEvents);
    if (portEvents & (POLLHUP | POLLERR | POLLNVAL))
        m_bHungUp = true;
    else if (portEvents & POLLIN)
        ++m_nDataWakeups;
    return result;
}
