#include "serial/posix/small_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

std::optional<std::string> CSmallFile::Read(const std::string& path, size_t maxBytes, bool followLink, int* error)
{
    return ReadAt(AT_FDCWD, path, maxBytes, followLink, error);
}

std::optional<std::string> CSmallFile::ReadAt(int dirFd, const std::string& name, size_t maxBytes, bool followLink,
                                              int* error)
{
    int ignored = 0;
    int& why = error ? *error : ignored;
    const int fd = openat(dirFd, name.c_str(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        why = errno;
        return std::nullopt;
    }
    struct stat file {};
    if (fstat(fd, &file) != 0 || !S_ISREG(file.st_mode)) {
        why = S_ISREG(file.st_mode) ? errno : EINVAL;
        close(fd);
        return std::nullopt;
    }
    std::string text(maxBytes + 1, '\0');
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = read(fd, text.data() + got, text.size() - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            why = errno;
            close(fd);
            return std::nullopt;
        }
    }
    close(fd);
    text.resize(got);
    why = 0;
    return text;
}
