#include "cli/process_setup.h"

#include <fcntl.h>
#include <giomm/init.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>

namespace {
// Whether descriptor fd was open at start; a closed one gets /dev/null, so
// that the serial port opened later cannot take its number and receive what
// was meant for the terminal.
bool KeepOpen(int fd)
{
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
        return true;
    const int null = open("/dev/null", O_RDWR);
    if (null != -1 && null != fd) {
        dup2(null, fd);
        close(null);
    }
    return false;
}
}  // namespace

ProcessStart PrepareProcess()
{
    bool wasOpen[3];
    for (int fd = 0; fd < 3; ++fd)
        wasOpen[fd] = KeepOpen(fd);
    // A reader that went away is an output error like any other, and the
    // access point still hears the closing command.
    std::signal(SIGPIPE, SIG_IGN);
    // Names and PINs are typed in the locale's character set.
    std::setlocale(LC_ALL, "");
    return {!wasOpen[STDOUT_FILENO], isatty(STDERR_FILENO) == 1};
}

void PrepareResources()
{
    // The string table is a resource bundle of the library.
    Gio::init();
}

// The terminal shows the locale's character set, which a UTF-8 locale
// shares with JSON.
void ShowTextAs(bool) {}
