/* Preloaded: every flock fails as on a file system without lock support. */
#include <errno.h>
#include <sys/file.h>

int flock(int fd, int operation)
{
    (void)fd;
    (void)operation;
    errno = ENOLCK;
    return -1;
}
