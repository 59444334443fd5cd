#pragma once

#include <string>

// A program's own folder for state, opened so that no other user can steer
// what is written in it: the folder must belong to the effective user and
// be writable by nobody else, and it is never reached through a link of its
// own. Missing folders are made 0700, and only inside a folder of this user
// (or a sticky one such as /tmp), so root running with another user's HOME
// leaves that home alone. Files are then opened relative to Fd().
class CStateFolder {
public:
    CStateFolder() = default;
    ~CStateFolder();
    CStateFolder(const CStateFolder&) = delete;
    CStateFolder& operator=(const CStateFolder&) = delete;

    // Opens (making it where missing) the folder at path; false with Problem()
    // saying why, in words fit to follow the path ("belongs to user bob").
    bool Open(const std::string& path);
    int Fd() const { return m_fd; }
    const std::string& Problem() const { return m_problem; }
    // Forces what the folder holds to the disk.
    bool Sync() const;

    // The name of user uid, or the number.
    static std::string UserName(unsigned uid);

private:
    bool Refuse(std::string problem);

    int m_fd = -1;
    std::string m_problem;
};
