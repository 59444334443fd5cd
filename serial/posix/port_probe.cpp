#include "serial/posix/port_probe.h"

#include "serial/posix/small_file.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

namespace {
constexpr unsigned kReadWrite = 6;  // r and w in a mode's or an ACL entry's bits

std::string UserName(uid_t uid)
{
    const passwd* user = getpwuid(uid);
    return user ? user->pw_name : std::to_string(uid);
}

std::string GroupName(gid_t gid)
{
    const group* entry = getgrgid(gid);
    return entry ? entry->gr_name : std::to_string(gid);
}

// The groups the group database gives the user, primary group included.
bool ListedInGroup(const passwd& user, gid_t gid)
{
    const std::string name = user.pw_name;
    const gid_t primary = user.pw_gid;
    int count = 32;
    std::vector<gid_t> groups;
    for (int tries = 0; tries < 4; ++tries) {
        groups.resize(static_cast<size_t>(count));
        if (getgrouplist(name.c_str(), primary, groups.data(), &count) >= 0) {
            groups.resize(static_cast<size_t>(count));
            return std::find(groups.begin(), groups.end(), gid) != groups.end();
        }
    }
    return primary == gid;
}

bool SessionHasGroup(gid_t gid)
{
    if (getegid() == gid)
        return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

// A POSIX access list as the kernel keeps it in its extended attribute.
struct AccessList {
    enum : uint16_t { kUserObj = 1, kUser = 2, kGroupObj = 4, kGroup = 8, kMask = 16, kOther = 32 };
    struct Entry {
        uint16_t tag;
        uint16_t perm;
        uint32_t id;
    };
    std::vector<Entry> entries;

    static AccessList Of(const std::string& path)
    {
        AccessList list;
        char data[1024];
        const ssize_t size = getxattr(path.c_str(), "system.posix_acl_access", data, sizeof data);
        constexpr size_t kHeader = 4, kEntry = 8;
        if (size < static_cast<ssize_t>(kHeader) || (static_cast<size_t>(size) - kHeader) % kEntry != 0)
            return list;
        for (size_t at = kHeader; at + kEntry <= static_cast<size_t>(size); at += kEntry) {
            Entry entry;
            std::memcpy(&entry.tag, data + at, 2);
            std::memcpy(&entry.perm, data + at + 2, 2);
            std::memcpy(&entry.id, data + at + 4, 4);
            list.entries.push_back(entry);
        }
        return list;
    }
    const Entry* Find(uint16_t tag, uint32_t id = 0) const
    {
        for (const Entry& entry : entries)
            if (entry.tag == tag && (tag != kUser && tag != kGroup ? true : entry.id == id))
                return &entry;
        return nullptr;
    }
    // What the mask leaves of a named entry's or the owning group's bits.
    unsigned Masked(unsigned perm) const
    {
        const Entry* mask = Find(kMask);
        return mask ? perm & mask->perm : perm;
    }
};

bool Grants(unsigned perm)
{
    return (perm & kReadWrite) == kReadWrite;
}

// pid of a UUCP lock file: ten ASCII digits, or an old binary int.
// The lock folder is writable by many: whatever stands there (a FIFO that
// would block a read, a link to elsewhere) is read as no lock.
pid_t LockOwner(const std::string& file)
{
    constexpr size_t kMaxBytes = 64;
    const std::optional<std::string> read = CSmallFile::Read(file, kMaxBytes);
    if (!read || read->size() > kMaxBytes)
        return 0;
    const std::string& text = *read;
    const size_t size = text.size();
    const char* data = text.data();
    const size_t first = text.find_first_not_of(' ');
    int pid = 0;
    if (first != std::string::npos) {
        const char* end = text.data() + text.size();
        auto [ptr, error] = std::from_chars(text.data() + first, end, pid);
        if (error == std::errc() && (ptr == end || *ptr == '\n'))
            return pid;
    }
    if (size == sizeof(int32_t)) {
        int32_t binary = 0;
        std::memcpy(&binary, data, sizeof binary);
        return binary;
    }
    return 0;
}
}  // namespace

PortAccess CPortProbe::Judge(const std::string& path, const std::string& lockFolder, const std::string& kernelName)
{
    PortAccess access;
    if (path.empty() || faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) != 0) {
        access.error = path.empty() ? ENOENT : errno;
        if (access.error == EACCES || access.error == EPERM) {
            access.problem = EPortProblem::PermissionDenied;
            DescribeOwnership(path, access);
        } else {
            access.problem = EPortProblem::Other;
        }
    } else if (struct stat node; stat(path.c_str(), &node) != 0 || !S_ISCHR(node.st_mode)) {
        // No terminal can be behind anything but a character device.
        access.problem = EPortProblem::Other;
        access.error = ENOTTY;
    } else if (LockedByUucp(path, lockFolder, kernelName) || Flocked(path)) {
        access.problem = EPortProblem::InUse;
        access.error = EBUSY;
    }
    return access;
}

bool CPortProbe::LockedByUucp(const std::string& path, const std::string& lockFolder, const std::string& kernelName)
{
    std::error_code error;
    const std::filesystem::path node = std::filesystem::canonical(path, error);
    std::vector<std::string> names = {std::filesystem::path(path).filename().string()};
    if (!error)
        names.push_back(node.filename().string());
    if (!kernelName.empty())
        names.push_back(kernelName);
    for (const std::string& name : names) {
        const pid_t pid = LockOwner(lockFolder + "/LCK.." + name);
        // A lock left by a process that has ended is stale.
        if (pid > 0 && (kill(pid, 0) == 0 || errno == EPERM))
            return true;
    }
    return false;
}

bool CPortProbe::Flocked(const std::string& path, const std::string& locksTable)
{
    struct stat node;
    if (stat(path.c_str(), &node) != 0)
        return false;
    // "1: FLOCK  ADVISORY  WRITE 4711 00:19:3 0 EOF": the node as the
    // major and minor of its file system in hex, and its inode.
    char id[64];
    std::snprintf(id, sizeof id, "%02x:%02x:%llu", major(node.st_dev), minor(node.st_dev),
                  static_cast<unsigned long long>(node.st_ino));
    // The kernel's table is one line a lock; many processes may hold many.
    constexpr size_t kMaxTableBytes = 4 * 1024 * 1024;
    const std::optional<std::string> text = CSmallFile::Read(locksTable, kMaxTableBytes, true);
    std::istringstream table(text.value_or(std::string()));
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, where;
        fields >> number >> kind;
        if (kind == "->")  // a waiter, not a holder
            continue;
        fields >> mode >> access >> pid >> where;
        if (kind == "FLOCK" && where == id)
            return true;
    }
    return false;
}

void CPortProbe::DescribeOwnership(const std::string& path, PortAccess& access)
{
    struct stat node;
    if (stat(path.c_str(), &node) != 0)
        return;
    const uid_t uid = geteuid();
    const passwd* user = getpwuid(uid);
    const AccessList acl = AccessList::Of(path);
    access.owner = UserName(node.st_uid);
    access.group = GroupName(node.st_gid);
    // With an access list, the mode's group bits are its mask and the
    // owning group's own bits are in the list.
    const AccessList::Entry* owningGroup = acl.Find(AccessList::kGroupObj);
    const unsigned groupPerm = owningGroup ? owningGroup->perm : (node.st_mode >> 3) & 7;
    access.groupMayOpen = Grants(acl.Masked(groupPerm));
    access.sessionHasGroup = SessionHasGroup(node.st_gid);
    access.userListedInGroup = user && ListedInGroup(*user, node.st_gid);

    auto cause = [&access](EPermissionCause c) { access.permission = c; };
    if (node.st_uid == uid) {
        cause(Grants(node.st_mode >> 6) ? EPermissionCause::SecurityPolicy : EPermissionCause::Unknown);
        return;
    }
    if (const AccessList::Entry* named = acl.Find(AccessList::kUser, uid)) {
        cause(Grants(acl.Masked(named->perm)) ? EPermissionCause::SecurityPolicy : EPermissionCause::AccessList);
        return;
    }
    // The groups that would let the user in: the node's own, then those the
    // access list names.
    std::vector<gid_t> granting;
    if (access.groupMayOpen)
        granting.push_back(node.st_gid);
    for (const AccessList::Entry& entry : acl.entries)
        if (entry.tag == AccessList::kGroup && Grants(acl.Masked(entry.perm)))
            granting.push_back(entry.id);
    if (std::any_of(granting.begin(), granting.end(), SessionHasGroup) || Grants(node.st_mode)) {
        cause(EPermissionCause::SecurityPolicy);
        return;
    }
    if (!granting.empty()) {
        access.group = GroupName(granting.front());
        access.sessionHasGroup = false;
        access.userListedInGroup = user && ListedInGroup(*user, granting.front());
        // Without the user's entry, whether to join or log in is a guess.
        if (user)
            cause(access.userListedInGroup ? EPermissionCause::LogInAgain : EPermissionCause::JoinGroup);
        return;
    }
    // The owning group's bits would let it in, the access list's mask not.
    const bool masked = Grants(groupPerm) && !access.groupMayOpen;
    cause(masked ? EPermissionCause::AccessList : EPermissionCause::OwnerOnly);
}
