#pragma once

#include <string>

#include "serial/posix/port_access.h"

// Tries a port as the program would open it, and closes it again at once.
class CPortProbe {
public:
    static PortAccess Probe(const std::string& path);
    // Fills the owner, group and membership facts of the node at path.
    static void DescribeOwnership(const std::string& path, PortAccess& access);
};
