#include "serial/posix/port_probe.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "serial/posix/tty_device.h"

namespace {
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
bool ListedInGroup(uid_t uid, gid_t gid)
{
    const passwd* user = getpwuid(uid);
    if (!user)
        return false;
    const std::string name = user->pw_name;
    const gid_t primary = user->pw_gid;
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
}  // namespace

PortAccess CPortProbe::Probe(const std::string& path)
{
    PortAccess access;
    int error = 0;
    const int fd = CTtyDevice::OpenPathExclusive(path, &error);
    if (fd >= 0) {
        CTtyDevice::CloseExclusive(fd);
        return access;
    }
    access.error = error;
    if (error == EACCES || error == EPERM) {
        access.problem = EPortProblem::PermissionDenied;
        DescribeOwnership(path, access);
    } else if (error == EBUSY) {
        access.problem = EPortProblem::InUse;
    } else {
        access.problem = EPortProblem::Other;
    }
    return access;
}

void CPortProbe::DescribeOwnership(const std::string& path, PortAccess& access)
{
    struct stat node;
    if (stat(path.c_str(), &node) != 0)
        return;
    access.owner = UserName(node.st_uid);
    access.group = GroupName(node.st_gid);
    access.groupMayOpen = (node.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    access.userListedInGroup = ListedInGroup(geteuid(), node.st_gid);
    access.sessionHasGroup = SessionHasGroup(node.st_gid);
}
