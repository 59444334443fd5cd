#pragma once

#include <optional>
#include <string>

// A small file read the way one another user may have planted is read: the
// open never waits (a FIFO or a device in its place would hang a blocking
// read), a link is not followed where none is expected, anything but a
// regular file is refused, and no more than maxBytes + 1 bytes are taken, so
// the caller can tell that it was longer.
class CSmallFile {
public:
    // The text, or nothing; *error (when given) says why: ENOENT, ELOOP for
    // a link, EINVAL for a FIFO, device or folder, or the system's error.
    static std::optional<std::string> Read(const std::string& path, size_t maxBytes, bool followLink = false,
                                           int* error = nullptr);
    // The same for name in the folder dirFd (openat).
    static std::optional<std::string> ReadAt(int dirFd, const std::string& name, size_t maxBytes,
                                             bool followLink = false, int* error = nullptr);
};
