#include "app/framework/gtk/single_instance_lock.h"

#include <glibmm/main.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {
// Whether the other end of a unix socket runs as this process's user.
bool PeerIsUs(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}
}  // namespace

std::string CSingleInstanceLock::NameFor(const std::string& name, unsigned uid)
{
    return name + "-" + std::to_string(uid);
}

bool CSingleInstanceLock::Create(const std::string& name)
{
    Release();
    m_bAlreadyExists = false;
    m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // A leading NUL puts the name in the abstract namespace.
    const std::string own = NameFor(name, geteuid());
    const size_t length = std::min(own.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, own.data(), length);
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    if (bind(m_fd, reinterpret_cast<sockaddr*>(&address), size) == 0 && listen(m_fd, kBacklog) == 0) {
        m_stop = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (m_stop >= 0 && m_wake >= 0) {
            m_taker = std::thread(TakeKnocks, m_fd, m_stop, m_wake);
            return true;
        }
    }
    // Anyone may bind any abstract name: a holder that answers as another
    // user is no instance of ours. One too busy to answer is.
    const bool taken = errno == EADDRINUSE;
    Release();
    m_bAlreadyExists = taken && KnockOnHolder(&address, size);
    return false;
}

bool CSingleInstanceLock::KnockOnHolder(const void* address, unsigned size)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // A full queue (EAGAIN), or a holder between its bind and its listen
    // (ECONNREFUSED), still holds the name.
    const bool answered = connect(fd, static_cast<const sockaddr*>(address), size) == 0;
    const bool ours = !answered || PeerIsUs(fd);
    close(fd);
    return ours;
}

void CSingleInstanceLock::TakeKnocks(int listening, int stop, int wake)
{
    for (;;) {
        pollfd waits[2] = {{listening, POLLIN, 0}, {stop, POLLIN, 0}};
        if (poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        if (waits[1].revents != 0)
            return;
        bool knocked = false;
        for (int fd; (fd = accept4(listening, nullptr, nullptr, SOCK_CLOEXEC)) >= 0; close(fd))
            knocked = knocked || PeerIsUs(fd);
        if (knocked) {
            const uint64_t one = 1;
            (void)!write(wake, &one, sizeof one);
        }
        // Out of descriptors, say: wait a little rather than spin; the
        // queue holds the knocks meanwhile.
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED)
            poll(waits + 1, 1, 100);
    }
}

void CSingleInstanceLock::OnKnock(std::function<void()> knocked)
{
    m_knocked = std::move(knocked);
    m_watch.disconnect();
    if (m_wake >= 0)
        m_watch = Glib::signal_io().connect([this](Glib::IOCondition) { return PassKnock(); }, m_wake, Glib::IO_IN);
}

bool CSingleInstanceLock::PassKnock()
{
    uint64_t knocks = 0;
    if (read(m_wake, &knocks, sizeof knocks) == sizeof knocks && knocks > 0 && m_knocked)
        m_knocked();
    return true;
}

void CSingleInstanceLock::Release()
{
    m_watch.disconnect();
    if (m_taker.joinable()) {
        const uint64_t one = 1;
        (void)!write(m_stop, &one, sizeof one);
        m_taker.join();
    }
    for (int* fd : {&m_fd, &m_stop, &m_wake}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}
