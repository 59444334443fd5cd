#include "serial/posix/state_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {
// Makes the folders of path that are missing, each 0700, only where this
// user may rightly put one.
void MakeMissing(const std::filesystem::path& path)
{
    std::filesystem::path at;
    for (const std::filesystem::path& part : path) {
        const std::filesystem::path parent = at;
        at /= part;
        struct stat existing {};
        if (lstat(at.c_str(), &existing) == 0 || errno != ENOENT)
            continue;
        struct stat above {};
        if (parent.empty() || stat(parent.c_str(), &above) != 0 ||
            (above.st_uid != geteuid() && (above.st_mode & S_ISVTX) == 0))
            return;
        if (mkdir(at.c_str(), 0700) != 0 && errno != EEXIST)
            return;
    }
}

std::string Mode(mode_t mode)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}
}  // namespace

CStateFolder::~CStateFolder()
{
    if (m_fd >= 0)
        close(m_fd);
}

std::string CStateFolder::UserName(unsigned uid)
{
    const passwd* user = getpwuid(uid);
    return user ? std::string(user->pw_name) : std::to_string(uid);
}

bool CStateFolder::Refuse(std::string problem)
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_problem = std::move(problem);
    return false;
}

bool CStateFolder::Open(const std::string& path)
{
    const std::filesystem::path folder(path);
    if (path.empty() || !folder.is_absolute() || !folder.has_parent_path())
        return Refuse("is no absolute path");
    MakeMissing(folder.parent_path());
    // The folder above may be a link the user made (~/.local to another
    // disk); it must still be this user's.
    const int above = open(folder.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (above < 0) {
        const int error = errno;
        // Not made where another user's folder would have had to hold it.
        for (std::filesystem::path at = folder.parent_path(); at.has_relative_path(); at = at.parent_path())
            if (struct stat existing {}; stat(at.c_str(), &existing) == 0) {
                if (existing.st_uid != geteuid() && (existing.st_mode & S_ISVTX) == 0)
                    return Refuse("lies in " + at.string() + ", which belongs to user " + UserName(existing.st_uid));
                break;
            }
        return Refuse(std::string("cannot be made (") + std::strerror(error) + ")");
    }
    struct stat aboveInfo {};
    if (fstat(above, &aboveInfo) != 0 || aboveInfo.st_uid != geteuid()) {
        close(above);
        return Refuse("lies in " + folder.parent_path().string() + ", which belongs to user " +
                      UserName(aboveInfo.st_uid));
    }
    const std::string name = folder.filename().string();
    if (mkdirat(above, name.c_str(), 0700) != 0 && errno != EEXIST) {
        const int error = errno;
        close(above);
        return Refuse(std::string("cannot be made (") + std::strerror(error) + ")");
    }
    m_fd = openat(above, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int error = errno;
    struct stat shut {};
    // Closed to this user: most likely made by root running with this HOME.
    const bool othersOwn = m_fd < 0 && error == EACCES && fstatat(above, name.c_str(), &shut, AT_SYMLINK_NOFOLLOW) == 0 &&
                           shut.st_uid != geteuid();
    close(above);
    if (othersOwn)
        return Refuse("belongs to user " + UserName(shut.st_uid));
    if (m_fd < 0)
        return Refuse(error == ELOOP || error == ENOTDIR ? std::string("is a link or no folder")
                                                         : "cannot be opened (" + std::string(std::strerror(error)) +
                                                               ")");
    struct stat info {};
    if (fstat(m_fd, &info) != 0)
        return Refuse(std::string("cannot be opened (") + std::strerror(errno) + ")");
    if (info.st_uid != geteuid())
        return Refuse("belongs to user " + UserName(info.st_uid));
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return Refuse("may be changed by other users (mode " + Mode(info.st_mode) + ")");
    m_problem.clear();
    return true;
}

bool CStateFolder::Sync() const
{
    return m_fd >= 0 && fsync(m_fd) == 0;
}
