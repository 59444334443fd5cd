#include "tests/support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>

#include "serial/posix/com_port_resolver.h"

CPtyPair::CPtyPair(int comNumber)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        throw std::runtime_error("no pty");
    m_slavePath = ptsname(m_master);
    // Keeping a slave open spares the master POLLHUP between the program's
    // opens; raw mode must be in place before anything flows.
    m_slaveKeeper = open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio;
    tcgetattr(m_slaveKeeper, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_slaveKeeper, TCSANOW, &tio);

    char folder[] = "/tmp/apconfig-devXXXXXX";
    m_folder = mkdtemp(folder);
    std::filesystem::create_symlink(m_slavePath, m_folder + "/com" + std::to_string(comNumber));
    CComPortResolver::SetDeviceFolder(m_folder);
}

CPtyPair::~CPtyPair()
{
    CComPortResolver::SetDeviceFolder("/dev");
    HangUp();
    if (m_slaveKeeper >= 0)
        close(m_slaveKeeper);
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void CPtyPair::Send(const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            throw std::runtime_error("pty write failed");
        done += static_cast<size_t>(n);
    }
}

size_t CPtyPair::SendWhatFits(const std::string& bytes)
{
    const int flags = fcntl(m_master, F_GETFL);
    fcntl(m_master, F_SETFL, flags | O_NONBLOCK);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        pollfd p{m_master, POLLOUT, 0};
        if (n < 0 && errno == EAGAIN && poll(&p, 1, 200) > 0)
            continue;
        break;
    }
    fcntl(m_master, F_SETFL, flags);
    return done;
}

std::string CPtyPair::Receive(size_t count)
{
    std::string bytes;
    while (bytes.size() < count) {
        pollfd p{m_master, POLLIN, 0};
        if (poll(&p, 1, 10000) <= 0)
            break;
        char buffer[256];
        ssize_t n = read(m_master, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    return bytes;
}

void CPtyPair::HangUp()
{
    if (m_master >= 0)
        close(m_master);
    m_master = -1;
}
