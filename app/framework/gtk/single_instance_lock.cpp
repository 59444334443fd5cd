#include "app/framework/single_instance_lock.h"

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
#include <thread>

namespace {
// Whether the other end of a unix socket runs as this process's user.
bool PeerIsUs(int fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}

// Connects to a holder of the name; false only when it answered and runs as
// another user.
bool KnockOnHolder(const void* address, unsigned size)
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

// The thread: takes knocks until stop is signalled; tells the main loop
// through wake of those by this user.
void TakeKnocks(int listening, int stop, int wake)
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
}  // namespace

// The holder's socket, its knock taker and the way knocks reach the main loop.
struct CSingleInstanceLock::Impl {
    int fd = -1;
    int stop = -1;
    int wake = -1;
    std::thread taker;
    sigc::connection watch;
};

CSingleInstanceLock::CSingleInstanceLock() : m_pImpl(std::make_unique<Impl>()) {}

CSingleInstanceLock::~CSingleInstanceLock()
{
    Release();
}

std::string CSingleInstanceLock::NameFor(const std::string& name, unsigned uid)
{
    return name + "-" + std::to_string(uid);
}

bool CSingleInstanceLock::Create(const std::string& name)
{
    Release();
    m_bAlreadyExists = false;
    m_pImpl->fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_pImpl->fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // A leading NUL puts the name in the abstract namespace.
    const std::string own = NameFor(name, geteuid());
    const size_t length = std::min(own.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, own.data(), length);
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    if (bind(m_pImpl->fd, reinterpret_cast<sockaddr*>(&address), size) == 0 && listen(m_pImpl->fd, kBacklog) == 0) {
        m_pImpl->stop = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        m_pImpl->wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (m_pImpl->stop >= 0 && m_pImpl->wake >= 0) {
            m_pImpl->taker = std::thread(TakeKnocks, m_pImpl->fd, m_pImpl->stop, m_pImpl->wake);
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

void CSingleInstanceLock::OnKnock(std::function<void()> knocked)
{
    m_knocked = std::move(knocked);
    m_pImpl->watch.disconnect();
    if (m_pImpl->wake >= 0)
        m_pImpl->watch = Glib::signal_io().connect(
            [this](Glib::IOCondition) {
                uint64_t knocks = 0;
                if (read(m_pImpl->wake, &knocks, sizeof knocks) == sizeof knocks && knocks > 0 && m_knocked)
                    m_knocked();
                return true;
            },
            m_pImpl->wake, Glib::IO_IN);
}

void CSingleInstanceLock::Release()
{
    m_pImpl->watch.disconnect();
    if (m_pImpl->taker.joinable()) {
        const uint64_t one = 1;
        (void)!write(m_pImpl->stop, &one, sizeof one);
        m_pImpl->taker.join();
    }
    for (int* fd : {&m_pImpl->fd, &m_pImpl->stop, &m_pImpl->wake}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}
