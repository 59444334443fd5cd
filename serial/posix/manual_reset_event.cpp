#include "serial/manual_reset_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

#include "serial/port_driver.h"

CManualResetEvent::CManualResetEvent() : m_fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (m_fd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

CManualResetEvent::~CManualResetEvent()
{
    close(m_fd);
}

void CManualResetEvent::Set()
{
    // The counter only has to become non-zero; adding to it keeps it so.
    uint64_t one = 1;
    (void)!write(m_fd, &one, sizeof one);
}

void CManualResetEvent::Reset()
{
    uint64_t value;
    (void)!read(m_fd, &value, sizeof value);
}

bool CManualResetEvent::IsSet() const
{
    pollfd p{m_fd, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

int CManualResetEvent::WaitAny(CManualResetEvent* const events[2], int extraFd, uint32_t ms, short* extraRevents)
{
    pollfd fds[3] = {{events[0]->Fd(), POLLIN, 0}, {events[1]->Fd(), POLLIN, 0}, {extraFd, POLLIN, 0}};
    int n = poll(fds, extraFd >= 0 ? 3 : 2, static_cast<int>(ms));
    if (extraRevents)
        *extraRevents = n > 0 ? fds[2].revents : 0;
    if (n > 0 && (fds[0].revents & POLLIN))
        return 0;
    if (n > 0 && (fds[1].revents & POLLIN))
        return 1;
    return WAIT_TIMEOUT;
}

int CManualResetEvent::WaitAny(CManualResetEvent* const events[2], const CManualResetEvent* extra, uint32_t ms)
{
    short extraEvents = 0;
    const int result = WaitAny(events, extra ? extra->Fd() : -1, ms, &extraEvents);
    return result == WAIT_TIMEOUT && (extraEvents & POLLIN) ? 2 : result;
}
