#pragma once

#include <string>

// Why a port that exists cannot be opened.
enum class EPortProblem {
    None,
    PermissionDenied,
    InUse,  // another program holds it (or our own lock does)
    Other,  // error says what
    Gone,   // no such node any more: unplugged or removed
};

// The outcome of trying a port, with what the user needs to fix it.
struct PortAccess {
    EPortProblem problem = EPortProblem::None;
    int error = 0;
    // The node's owner and group, and whether its group may read and write.
    std::string owner;
    std::string group;
    bool groupMayOpen = false;
    // The group database lists the user in the group, and this session
    // (the process's groups) has it as well.
    bool userListedInGroup = false;
    bool sessionHasGroup = false;

    bool Openable() const { return problem == EPortProblem::None; }
};
