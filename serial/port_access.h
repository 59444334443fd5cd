#pragma once

#include <string>

// Why a port that exists cannot be opened (errors are errno values on POSIX,
// GetLastError values on Windows).
enum class EPortProblem {
    None,
    PermissionDenied,
    InUse,  // another program holds it (or our own lock does)
    Other,  // error says what
    Gone,   // no such node any more: unplugged or removed
};

// What would let the user open a port that permissions keep shut.
enum class EPermissionCause {
    Unknown,         // nothing that can be said without guessing
    OwnerOnly,       // only the owner may open it
    JoinGroup,       // group would let the user in: join it
    LogInAgain,      // the user is in group, this session not yet
    AccessList,      // the node's access list keeps the user out
    SecurityPolicy,  // the permissions let the user in, something else does not
};

// The outcome of judging a port, with what the user needs to fix it.
struct PortAccess {
    EPortProblem problem = EPortProblem::None;
    int error = 0;
    EPermissionCause permission = EPermissionCause::Unknown;
    // The node's owner, and the group that would let the user in (else the
    // node's own group), and whether it may read and write.
    std::string owner;
    std::string group;
    bool groupMayOpen = false;
    // The group database lists the user in the group, and this session
    // (the process's groups) has it as well.
    bool userListedInGroup = false;
    bool sessionHasGroup = false;

    bool Openable() const { return problem == EPortProblem::None; }
};
