#include "serial/posix/tty_device.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "serial/posix/com_port_resolver.h"

namespace {
struct BaudEntry {
    uint32_t rate;
    speed_t speed;
};
constexpr BaudEntry kBauds[] = {
    {110, B110},       {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

uint32_t RateOf(speed_t speed)
{
    for (const auto& entry : kBauds)
        if (entry.speed == speed)
            return entry.rate;
    return 0;
}

bool SpeedOf(uint32_t rate, speed_t& speed)
{
    for (const auto& entry : kBauds)
        if (entry.rate == rate) {
            speed = entry.speed;
            return true;
        }
    return false;
}

// Holds a modem line on or off; ttys without modem lines (ptys) say ENOTTY.
void SetModemLine(int fd, int line, bool on)
{
    ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}
}  // namespace

int CTtyDevice::OpenExclusive(const char* comName)
{
    return OpenPathExclusive(CComPortResolver::DevicePath(comName));
}

int CTtyDevice::OpenPathExclusive(const std::string& path, int* error)
{
    auto fail = [error](int code) {
        if (error)
            *error = code;
        return -1;
    };
    if (path.empty())
        return fail(ENOENT);
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    // TIOCEXCL keeps out other programs; the flock also keeps out root and
    // a second handle of our own.
    int code = 0;
    if (!isatty(fd))
        code = ENOTTY;
    else if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        code = errno == EWOULDBLOCK ? EBUSY : errno;
    if (code != 0) {
        close(fd);
        return fail(code);
    }
    ioctl(fd, TIOCEXCL);
    if (error)
        *error = 0;
    return fd;
}

void CTtyDevice::CloseExclusive(int fd)
{
    if (fd < 0)
        return;
    // A pty's other side may keep the tty alive: leave it openable.
    ioctl(fd, TIOCNXCL);
    close(fd);
}

bool CTtyDevice::GetCommState(int fd, DCB& settings)
{
    termios tio;
    if (tcgetattr(fd, &tio) != 0)
        return false;
    settings = DCB{};
    settings.BaudRate = RateOf(cfgetospeed(&tio));
    settings.Flags = DCB::fBinary;
    if (tio.c_iflag & INPCK)
        settings.Flags |= DCB::fParity;
    if (tio.c_cflag & CRTSCTS)
        settings.Flags |= DCB::fOutxCtsFlow | (2u << 12);
    else
        settings.Flags |= 1u << 12;
    settings.Flags |= 1u << 4;
    if (tio.c_iflag & IXON)
        settings.Flags |= DCB::fOutX;
    if (tio.c_iflag & IXOFF)
        settings.Flags |= DCB::fInX;
    settings.XonLim = 2048;
    settings.XoffLim = 512;
    switch (tio.c_cflag & CSIZE) {
    case CS5: settings.ByteSize = 5; break;
    case CS6: settings.ByteSize = 6; break;
    case CS7: settings.ByteSize = 7; break;
    default: settings.ByteSize = 8; break;
    }
    settings.Parity = (tio.c_cflag & PARENB) ? ((tio.c_cflag & PARODD) ? ODDPARITY : EVENPARITY) : NOPARITY;
    settings.StopBits = (tio.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
    settings.XonChar = static_cast<char>(tio.c_cc[VSTART]);
    settings.XoffChar = static_cast<char>(tio.c_cc[VSTOP]);
    settings.EofChar = static_cast<char>(tio.c_cc[VEOF]);
    return true;
}

bool CTtyDevice::SetCommState(int fd, const DCB& settings)
{
    // A size the line cannot carry is refused, as the system's serial
    // driver refuses it, rather than quietly sent as 8 bits.
    if (settings.ByteSize < 5 || settings.ByteSize > 8) {
        errno = EINVAL;
        return false;
    }
    // Started from the port's own settings: what the record does not name
    // stays as the port has it.
    termios tio;
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    speed_t speed;
    if (SpeedOf(settings.BaudRate, speed)) {
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
    }
    tio.c_cflag &= ~CSIZE;
    switch (settings.ByteSize) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    default: tio.c_cflag |= CS8; break;
    }
    tio.c_cflag &= ~(PARENB | PARODD | CSTOPB | CRTSCTS);
    if (settings.Parity == EVENPARITY || settings.Parity == ODDPARITY)
        tio.c_cflag |= PARENB | (settings.Parity == ODDPARITY ? PARODD : 0);
    if (settings.StopBits == TWOSTOPBITS)
        tio.c_cflag |= CSTOPB;
    if (settings.Has(DCB::fOutxCtsFlow))
        tio.c_cflag |= CRTSCTS;
    if (settings.Has(DCB::fParity))
        tio.c_iflag |= INPCK;
    if (settings.Has(DCB::fOutX))
        tio.c_iflag |= IXON;
    if (settings.Has(DCB::fInX))
        tio.c_iflag |= IXOFF;
    // The flow characters belong to the record only when it asks for
    // software flow control; otherwise the port keeps its own.
    if (settings.Has(DCB::fOutX) || settings.Has(DCB::fInX)) {
        tio.c_cc[VSTART] = static_cast<cc_t>(settings.XonChar);
        tio.c_cc[VSTOP] = static_cast<cc_t>(settings.XoffChar);
    }
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    // A pty takes no parity; what it refuses is left as it is.
    bool applied = tcsetattr(fd, TCSANOW, &tio) == 0;
    const int error = errno;
    // A pty says EINVAL when only the parity it cannot keep would change:
    // what the line needs besides stuck all the same.
    termios now;
    constexpr tcflag_t kNeeded = CSIZE | CSTOPB | CRTSCTS;
    if (!applied && error == EINVAL && tcgetattr(fd, &now) == 0 && cfgetospeed(&now) == cfgetospeed(&tio) &&
        (now.c_cflag & kNeeded) == (tio.c_cflag & kNeeded))
        applied = true;
    SetModemLine(fd, TIOCM_DTR, settings.DtrControl() != 0);
    SetModemLine(fd, TIOCM_RTS, settings.RtsControl() != 0);
    // The caller learns why the settings were refused, not what a tty
    // without modem lines said to them.
    errno = error;
    return applied;
}
