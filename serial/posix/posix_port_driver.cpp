#include "serial/posix/posix_port_driver.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

#include "serial/posix/com_port_resolver.h"
#include "serial/posix/tty_device.h"

HANDLE CPosixPortDriver::CreateFile(const char* name)
{
    int error = 0;
    m_fd = CTtyDevice::OpenPathExclusive(CComPortResolver::DevicePath(name), &error);
    m_nLastError = m_fd < 0 ? error : 0;
    m_bHungUp = false;
    m_bNoModemLines = false;
    m_bPortQuiet = false;
    m_pending = EPending::None;
    m_nOutput = 0;
    ClearInputQueue();
    return m_fd < 0 ? INVALID_HANDLE_VALUE : m_fd;
}

void CPosixPortDriver::CloseHandle(HANDLE port)
{
    if (port == m_fd)
        FlushOutput();
    CTtyDevice::CloseExclusive(static_cast<int>(port));
    if (port == m_fd) {
        m_fd = -1;
        ClearInputQueue();
    }
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
    if (CTtyDevice::SetCommState(static_cast<int>(port), settings))
        return true;
    Failed(errno);
    return false;
}

void CPosixPortDriver::Failed(int error)
{
    m_nLastError = error;
    if (error == EIO || error == ENXIO || error == ENODEV)
        m_bHungUp = true;
}

bool CPosixPortDriver::SetupComm(HANDLE, int, int)
{
    // The kernel sizes a tty's queues itself.
    return true;
}

void CPosixPortDriver::PurgeComm(HANDLE port, uint32_t flags)
{
    // Only a read goes pending; writes wait in the output queue.
    if (flags & PURGE_RXABORT)
        m_pending = EPending::None;
    if (flags & (PURGE_TXABORT | PURGE_TXCLEAR))
        m_nOutput = 0;
    int queues = -1;
    if ((flags & PURGE_RXCLEAR) && (flags & PURGE_TXCLEAR))
        queues = TCIOFLUSH;
    else if (flags & PURGE_RXCLEAR)
        queues = TCIFLUSH;
    else if (flags & PURGE_TXCLEAR)
        queues = TCOFLUSH;
    if (queues >= 0)
        tcflush(static_cast<int>(port), queues);
    if (flags & PURGE_RXCLEAR)
        ClearInputQueue();
}

void CPosixPortDriver::SetDtr(HANDLE port)
{
    int line = TIOCM_DTR;
    ioctl(static_cast<int>(port), TIOCMBIS, &line);
}

int CPosixPortDriver::ClearCommError(HANDLE port)
{
    // Bytes already taken from the tty wait without asking it again.
    int waiting = static_cast<int>(Queued());
    const bool quiet = std::exchange(m_bPortQuiet, false);
    if (waiting == 0 && (m_bHungUp || quiet || ioctl(static_cast<int>(port), FIONREAD, &waiting) != 0))
        waiting = 0;
    // The worker looks here first after a drain. Counted before the request
    // goes out, its reply cannot slip in ahead of the wait that follows: the
    // wait sees it arrive.
    FlushOutput();
    return waiting;
}

bool CPosixPortDriver::GetCommModemStatus(HANDLE port, uint32_t& status)
{
    FlushOutput();
    int lines = 0;
    if (m_bHungUp || m_bNoModemLines || ioctl(static_cast<int>(port), TIOCMGET, &lines) != 0) {
        if (!m_bHungUp && !m_bNoModemLines && errno != ENOTTY && errno != EINVAL)
            Failed(errno);
        if (!m_bHungUp && !m_bNoModemLines && (errno == ENOTTY || errno == EINVAL))
            m_bNoModemLines = true;
        // A tty without modem lines (a pty) behaves as a three-wire line
        // with CTS looped back. A hung-up line says the same: its writes
        // fail and lose their bytes, so the queue empties instead of the
        // worker spinning for a CTS that will never come.
        if (m_bHungUp || m_bNoModemLines) {
            status = MS_CTS_ON;
            return true;
        }
        return false;
    }
    status = ((lines & TIOCM_CTS) ? MS_CTS_ON : 0) | ((lines & TIOCM_DSR) ? MS_DSR_ON : 0) |
             ((lines & TIOCM_RI) ? MS_RING_ON : 0) | ((lines & TIOCM_CD) ? MS_RLSD_ON : 0);
    return true;
}

ssize_t CPosixPortDriver::FillInputQueue(int fd)
{
    const ssize_t n = read(fd, m_input.data(), m_input.size());
    m_inputNext = 0;
    m_inputEnd = n > 0 ? static_cast<size_t>(n) : 0;
    if (n > 0)
        m_trickle.BlockRead(m_inputEnd, CTrickleWatch::Clock::now());
    return n;
}

uint32_t CPosixPortDriver::TakeQueued(unsigned char* buffer, uint32_t count)
{
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(count, Queued()));
    std::memcpy(buffer, m_input.data() + m_inputNext, n);
    m_inputNext += n;
    return n;
}

EIoStart CPosixPortDriver::ReadFile(HANDLE port, unsigned char* buffer, uint32_t count, uint32_t& read,
                                    OVERLAPPED&)
{
    FlushOutput();
    read = 0;
    const ssize_t n = Queued() != 0 ? 1 : FillInputQueue(static_cast<int>(port));
    if (n > 0) {
        read = TakeQueued(buffer, count);
        return EIoStart::Done;
    }
    if (n < 0 && errno == EAGAIN) {
        m_pending = EPending::Read;
        m_pPendingRead = buffer;
        m_nPendingCount = count;
        return EIoStart::Pending;
    }
    // End of file or EIO: the other end is gone.
    // Any other failure is taken as one too: the tty would report it again
    // on every look.
    HungUp(n == 0 ? EIO : errno);
    return EIoStart::Failed;
}

EIoStart CPosixPortDriver::WriteFile(HANDLE port, unsigned char byte, OVERLAPPED&)
{
    // A line that has hung up takes nothing, as its write would fail.
    if (m_bHungUp || port != m_fd)
        return EIoStart::Failed;
    if (m_nOutput == m_output.size())
        FlushOutput();
    if (m_bHungUp)
        return EIoStart::Failed;
    m_output[m_nOutput++] = byte;
    return EIoStart::Done;
}

void CPosixPortDriver::FlushOutput()
{
    if (m_nOutput != 0)
        m_trickle.Wrote();
    size_t done = 0;
    // A line that is gone takes nothing: its bytes are lost at once.
    while (done < m_nOutput && m_fd >= 0 && !m_bHungUp) {
        const ssize_t n = write(m_fd, m_output.data() + done, m_nOutput - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            // The time-out a write of the remaining bytes would have.
            const uint64_t timeout = uint64_t{m_timeouts.WriteTotalTimeoutMultiplier} * (m_nOutput - done) +
                                     m_timeouts.WriteTotalTimeoutConstant;
            pollfd p{m_fd, POLLOUT, 0};
            const int ready = poll(&p, 1, static_cast<int>(std::min<uint64_t>(timeout, INT32_MAX)));
            if (ready > 0 && !(p.revents & (POLLHUP | POLLERR | POLLNVAL)))
                continue;
            if (ready > 0)
                HungUp(EIO);
            break;
        }
        if (n < 0)
            Failed(errno);
        break;
    }
    m_nOutput = 0;
}

EIoWait CPosixPortDriver::GetOverlappedResult(HANDLE port, OVERLAPPED& overlapped, uint32_t& transferred)
{
    transferred = 0;
    // Only a read goes pending: writes wait in the output queue.
    const bool reading = m_pending == EPending::Read;
    m_pending = EPending::None;
    if (!reading)
        return EIoWait::Failed;
    const int fd = static_cast<int>(port);
    // The read gets the multiplier once (for its first byte) plus the constant.
    const uint32_t timeout = m_timeouts.ReadTotalTimeoutMultiplier + m_timeouts.ReadTotalTimeoutConstant;
    pollfd p{fd, POLLIN, 0};
    int ready = poll(&p, 1, static_cast<int>(timeout));
    if (ready < 0) {
        Failed(errno);
        return EIoWait::Failed;
    }
    if (ready > 0) {
        ssize_t n = FillInputQueue(fd);
        if (n > 0) {
            transferred = TakeQueued(m_pPendingRead, m_nPendingCount);
        } else if (n == 0 || (errno != EAGAIN)) {
            HungUp(n == 0 ? EIO : errno);
            return EIoWait::Failed;
        }
    }
    // Timed out or done: the operation has ended either way.
    if (overlapped.hEvent)
        overlapped.hEvent->Set();
    return EIoWait::Done;
}

int CPosixPortDriver::WaitForMultipleObjects(CManualResetEvent* const events[2], uint32_t ms, bool portData)
{
    FlushOutput();
    ++m_nWaits;
    // Bytes in the input queue are waiting data as much as the tty's.
    if (portData && Queued() != 0)
        ms = 0;
    // While a reply trickles in, the bytes gather for a moment before the
    // port is looked at, within the time asked for; the events still end
    // the wait at once.
    if (portData && ms != 0 && !m_bHungUp && m_trickle.Trickling(CTrickleWatch::Clock::now())) {
        const uint32_t gather = std::min(kGatherMs, ms);
        ++m_nGathers;
        const int result = CManualResetEvent::WaitAny(events, -1, gather);
        if (result != WAIT_TIMEOUT)
            return result;
        ms -= gather;
    }
    short portEvents = 0;
    const bool watchPort = portData && !m_bHungUp;
    int result = CManualResetEvent::WaitAny(events, watchPort ? m_fd : -1, ms, &portEvents);
    if (portEvents & (POLLHUP | POLLERR | POLLNVAL))
        HungUp(EIO);
    else if (portEvents & POLLIN)
        ++m_nDataWakeups;
    m_bPortQuiet = watchPort && portEvents == 0;
    return result;
}
