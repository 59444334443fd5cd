#pragma once

#include <functional>
#include <string>

// A name held for the life of the process so a second start in the same
// session can tell it is not the first: a named mutex in the session's
// Local\ namespace, which the system drops with the process. A second start
// brings the first one's window forward (a message registered under the
// name, broadcast to the first one's windows) and goes.
class CSingleInstanceLock {
public:
    CSingleInstanceLock() = default;
    ~CSingleInstanceLock() { Release(); }
    CSingleInstanceLock(const CSingleInstanceLock&) = delete;
    CSingleInstanceLock& operator=(const CSingleInstanceLock&) = delete;

    // True when this process now holds the name. False when it cannot: then
    // AlreadyExists tells whether another process holds it (and has been
    // knocked on).
    bool Create(const std::string& name);
    bool AlreadyExists() const { return m_bAlreadyExists; }
    // Calls knocked, from the message loop, whenever a later start knocks.
    void OnKnock(std::function<void()> knocked);
    void Release();

    // The mutex's name for name.
    static std::string NameFor(const std::string& name);

private:
    void* m_hMutex = nullptr;
    void* m_hListener = nullptr;
    bool m_bAlreadyExists = false;
    std::function<void()> m_knocked;
};
