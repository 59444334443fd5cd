#pragma once

#include <functional>
#include <memory>
#include <string>

// A name held for the life of the process so a second start of the same user
// (Win32: in the same session) can tell it is not the first; the system drops
// it with the process, even after a crash, and no file is left. A second start
// knocks on the holder, which raises its window, and goes.
// GTK: an abstract unix socket bound to the name followed by the user id, so
// every user has one of their own. The bind decides who is first; a thread of
// the holder's takes every knock at once, so the queue stays empty while the
// main loop waits on the device; should it fill all the same, a knock that
// finds it full still means an instance exists.
// Win32: a named mutex in the session's Local\ namespace; the knock is a
// message registered under the name, posted to the holder's hidden window.
class CSingleInstanceLock {
public:
    CSingleInstanceLock();
    ~CSingleInstanceLock();

    // True when this process now holds the name. False when it cannot: then
    // AlreadyExists tells whether another process of this user holds it (and
    // has been knocked on), rather than a stranger or nobody at all.
    bool Create(const std::string& name);
    bool AlreadyExists() const { return m_bAlreadyExists; }
    // Calls knocked, from the main loop, whenever a later start knocks.
    void OnKnock(std::function<void()> knocked);
    void Release();

#ifdef _WIN32
    // The mutex's name for name.
    static std::string NameFor(const std::string& name);
#else
    // The name as bound for the user uid.
    static std::string NameFor(const std::string& name, unsigned uid);
    // Knocks waiting to be taken at most; more than come at once in practice.
    static constexpr int kBacklog = 128;
#endif

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
    bool m_bAlreadyExists = false;
    std::function<void()> m_knocked;
};
