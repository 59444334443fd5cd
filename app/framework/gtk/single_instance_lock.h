#pragma once

#include <sigc++/connection.h>

#include <functional>
#include <string>
#include <thread>

// A name held for the life of the process so a second start of the same
// user can tell it is not the first: an abstract unix socket bound to the
// name followed by the user id, so every user has one of their own. The
// kernel drops it with the process, even after a crash; no file is left.
// The holder listens on it: a second start connects (knocks) and goes. The
// bind decides who is first; the knock only raises the first one's window.
// A thread of the holder's takes every knock at once, so the queue stays
// empty while the main loop waits on the device; should it fill all the
// same, a knock that finds it full still means an instance exists.
class CSingleInstanceLock {
public:
    CSingleInstanceLock() = default;
    ~CSingleInstanceLock() { Release(); }
    CSingleInstanceLock(const CSingleInstanceLock&) = delete;
    CSingleInstanceLock& operator=(const CSingleInstanceLock&) = delete;

    // True when this process now holds the name. False when it cannot: then
    // AlreadyExists tells whether a process of this same user holds it (it
    // answered the knock as this user, or was too busy to answer at all),
    // rather than a stranger or nobody at all.
    bool Create(const std::string& name);
    bool AlreadyExists() const { return m_bAlreadyExists; }
    // Calls knocked, from the main loop, whenever a later start of this
    // user knocks.
    void OnKnock(std::function<void()> knocked);
    void Release();

    // The name as bound for the user uid.
    static std::string NameFor(const std::string& name, unsigned uid);

    // Knocks waiting to be taken at most; more than come at once in practice.
    static constexpr int kBacklog = 128;

private:
    // Connects to a holder of the name; false only when it answered and
    // runs as another user.
    static bool KnockOnHolder(const void* address, unsigned size);
    // The thread: takes knocks until stop is signalled; tells the main loop
    // through wake of those by this user.
    static void TakeKnocks(int listening, int stop, int wake);
    bool PassKnock();

    int m_fd = -1;
    int m_stop = -1;
    int m_wake = -1;
    std::thread m_taker;
    bool m_bAlreadyExists = false;
    std::function<void()> m_knocked;
    sigc::connection m_watch;
};
