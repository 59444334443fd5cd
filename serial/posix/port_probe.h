#pragma once

#include <string>

#include "serial/port_access.h"

// Judges whether a port could be opened without touching it: opening a tty
// raises DTR and RTS, which resets many boards. Permissions are asked of
// the kernel (effective access, as an open would be checked) and explained
// from the node's owner, group, mode and access list and the session's
// groups; a port counts as in use when a UUCP lock file with a live owner
// names it, or when a process holds an flock on its node, as apconfig and
// apctl do on the port they talk through (the kernel's lock table says so).
// Whatever else keeps a port shut is learnt when it is opened.
class CPortProbe {
public:
    // kernelName (ttyUSB0) names the lock file where path is a link.
    static PortAccess Judge(const std::string& path, const std::string& lockFolder = "/var/lock",
                            const std::string& kernelName = {});
    // Fills the owner, group and membership facts of the node at path, and
    // what would let the user in.
    static void DescribeOwnership(const std::string& path, PortAccess& access);
    // A lock file LCK..<name> in lockFolder whose process is alive, for the
    // name of the path, of the node it leads to or the kernel's name.
    static bool LockedByUucp(const std::string& path, const std::string& lockFolder,
                             const std::string& kernelName = {});
    // An flock on the node at path, as locksTable (/proc/locks) lists it.
    static bool Flocked(const std::string& path, const std::string& locksTable = "/proc/locks");
};
