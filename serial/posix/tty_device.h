#pragma once

#include <string>

#include "serial/dcb.h"

// Opening a "COM<n>" tty and moving line settings between a DCB and termios.
class CTtyDevice {
public:
    // Opens the device for exclusive use (TIOCEXCL and an flock), raw and
    // non-blocking; -1 when it is absent, not a tty, in use or not permitted.
    static int OpenExclusive(const char* comName);
    // The same for a device path; on failure *error says why: EACCES,
    // EBUSY when another program holds it, ENOTTY, ENOENT, ...
    static int OpenPathExclusive(const std::string& path, int* error = nullptr);
    // Gives up exclusivity and closes.
    static void CloseExclusive(int fd);
    // The current settings as a DCB; false when they cannot be read.
    static bool GetCommState(int fd, DCB& settings);
    // Applies the settings. Parts a tty cannot take (a pty keeps no parity)
    // are skipped; false only when nothing could be applied.
    static bool SetCommState(int fd, const DCB& settings);
};
