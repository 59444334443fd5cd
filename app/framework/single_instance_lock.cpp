#include "app/framework/single_instance_lock.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

bool CSingleInstanceLock::Create(const std::string& name)
{
    Release();
    m_bAlreadyExists = false;
    m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // A leading NUL puts the name in the abstract namespace.
    size_t length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length);
    auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    if (bind(m_fd, reinterpret_cast<sockaddr*>(&address), size) == 0)
        return true;
    m_bAlreadyExists = errno == EADDRINUSE;
    Release();
    return false;
}

void CSingleInstanceLock::Release()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}
