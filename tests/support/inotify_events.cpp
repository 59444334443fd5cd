#include "tests/support/inotify_events.h"

#include <sys/inotify.h>
#include <unistd.h>

int InotifyEvents(int fd)
{
    alignas(inotify_event) char buffer[4096];
    int events = 0;
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        for (char* at = buffer; at < buffer + n; at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len)
            ++events;
    return events;
}
