#pragma once

#include <string>

#include "serial/posix/serial_port_info.h"

// Whether a serial port already serves as a terminal, which a program that
// picks a port by itself must leave alone: the kernel writes its console
// there (sysfs's class/tty/console/active names it), or a process has it as
// its controlling terminal (a getty waiting for a login, a login shell), as
// the tty_nr field of /proc/<pid>/stat says. Both roots are parameters, so a
// test lays out trees of its own.
class CTerminalUse {
public:
    static bool IsConsole(const SerialPortInfo& port, const std::string& sysfsRoot);
    static bool IsControllingTerminal(const std::string& devicePath, const std::string& procRoot);
    static bool InUse(const SerialPortInfo& port, const std::string& sysfsRoot, const std::string& procRoot)
    {
        return IsConsole(port, sysfsRoot) || IsControllingTerminal(port.OpenPath(), procRoot);
    }
};
