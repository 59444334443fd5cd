#pragma once

#include <sigc++/connection.h>

#include <functional>
#include <string>

// A name held for the life of the process so a second start of the same
// user can tell it is not the first: an abstract unix socket bound to the
// name followed by the user id, so every user has one of their own. The
// kernel drops it with the process, even after a crash; no file is left.
// The holder listens on it: a second start connects (knocks) and goes.
class CSingleInstanceLock {
public:
    CSingleInstanceLock() = default;
    ~CSingleInstanceLock() { Release(); }
    CSingleInstanceLock(const CSingleInstanceLock&) = delete;
    CSingleInstanceLock& operator=(const CSingleInstanceLock&) = delete;

    // True when this process now holds the name. False when it cannot: then
    // AlreadyExists tells whether a process of this same user holds it (and
    // has been knocked on), rather than a stranger or nobody at all.
    bool Create(const std::string& name);
    bool AlreadyExists() const { return m_bAlreadyExists; }
    // Calls knocked, from the main loop, whenever a later start of this
    // user knocks.
    void OnKnock(std::function<void()> knocked);
    void Release();

    // The name as bound for the user uid.
    static std::string NameFor(const std::string& name, unsigned uid);

private:
    // Connects to a holder of the name; true when it runs as this user.
    static bool KnockOnHolder(const void* address, unsigned size);
    bool TakeKnock();

    int m_fd = -1;
    bool m_bAlreadyExists = false;
    std::function<void()> m_knocked;
    sigc::connection m_watch;
};
