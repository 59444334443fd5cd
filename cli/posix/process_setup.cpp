#include "cli/process_setup.h"

#include <fcntl.h>
#include <giomm/init.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <clocale>
#include <csignal>

namespace {
std::atomic<int> g_interruption{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

void NoteInterruption(int signal)
{
    g_interruption.store(128 + signal);
}

// Without SA_RESTART: a wait for a typed PIN ends with EINTR. SA_RESETHAND:
// a second Ctrl+C is not ignored while the conversation is being closed.
void StopOn(int signal)
{
    struct sigaction action {};
    action.sa_handler = NoteInterruption;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(signal, &action, nullptr);
}

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
    // The conversation is ended, not abandoned: the device would go on
    // sending into the next run's identification.
    StopOn(SIGINT);
    StopOn(SIGTERM);
    // Names and PINs are typed in the locale's character set.
    std::setlocale(LC_ALL, "");
    return {!wasOpen[STDOUT_FILENO], isatty(STDERR_FILENO) == 1};
}

int InterruptionStatus()
{
    return g_interruption.load();
}

void PrepareResources()
{
    // The string table is a resource bundle of the library.
    Gio::init();
}

// The terminal shows the locale's character set, which a UTF-8 locale
// shares with JSON.
void ShowTextAs(bool) {}
