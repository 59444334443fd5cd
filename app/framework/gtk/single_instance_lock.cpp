#include "app/framework/gtk/single_instance_lock.h"

#include <glibmm/main.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
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
    if (bind(m_fd, reinterpret_cast<sockaddr*>(&address), size) == 0 && listen(m_fd, 4) == 0)
        return true;
    // Anyone may bind any abstract name: only a holder of our own user
    // counts as the first instance.
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
    // A holder that does not listen, or lets its queue fill, is no instance.
    const bool ours = connect(fd, static_cast<const sockaddr*>(address), size) == 0 && PeerIsUs(fd);
    close(fd);
    return ours;
}

void CSingleInstanceLock::OnKnock(std::function<void()> knocked)
{
    m_knocked = std::move(knocked);
    m_watch.disconnect();
    if (m_fd >= 0)
        m_watch = Glib::signal_io().connect([this](Glib::IOCondition) { return TakeKnock(); }, m_fd, Glib::IO_IN);
}

bool CSingleInstanceLock::TakeKnock()
{
    bool knocked = false;
    for (int fd; (fd = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC)) >= 0; close(fd))
        knocked = knocked || PeerIsUs(fd);
    // Out of descriptors, say: stop listening rather than wake for ever.
    const bool listening = errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR || errno == ECONNABORTED;
    if (knocked && m_knocked)
        m_knocked();
    return listening;
}

void CSingleInstanceLock::Release()
{
    m_watch.disconnect();
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}
