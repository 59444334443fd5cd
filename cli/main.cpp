#include <fcntl.h>
#include <giomm/init.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "frontend/string_table.h"
#include "cli/apctl.h"

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

int main(int argc, char** argv)
{
    bool wasOpen[3];
    for (int fd = 0; fd < 3; ++fd)
        wasOpen[fd] = KeepOpen(fd);
    // A reader that went away is an output error like any other, and the
    // access point still hears the closing command.
    std::signal(SIGPIPE, SIG_IGN);
    // Names and PINs are typed in the locale's character set.
    std::setlocale(LC_ALL, "");
    std::string error;
    const auto options = ParseApctlOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "apctl: %s (see apctl --help)\n", error.c_str());
        return CApctl::kUsage;
    }
    if (options->help) {
        CHeldOutput usage(stdout, !wasOpen[STDOUT_FILENO]);
        usage.Add(ApctlUsage());
        if (usage.Deliver())
            return CApctl::kDone;
        std::fprintf(stderr, "apctl: cannot write the output: %s\n", usage.Error().c_str());
        return CApctl::kOutputFailed;
    }
    // The reasons a port cannot be used are the port dialog's, from the
    // resource library; without it they are the system's.
    Gio::init();
    CStringTable::Load();
    return CApctl(stdout, !wasOpen[STDOUT_FILENO], stderr, isatty(STDERR_FILENO)).Run(*options);
}
