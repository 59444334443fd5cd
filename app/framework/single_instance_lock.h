#pragma once

#include <string>

// A name held for the life of the process so a second instance can tell it is
// not the first: an abstract unix socket bound to the name. The kernel drops
// it with the process, even after a crash; no file is left behind.
class CSingleInstanceLock {
public:
    CSingleInstanceLock() = default;
    ~CSingleInstanceLock() { Release(); }
    CSingleInstanceLock(const CSingleInstanceLock&) = delete;
    CSingleInstanceLock& operator=(const CSingleInstanceLock&) = delete;

    // True when this process now holds the name; false when another holds it
    // (or it cannot be had, which is treated the same by nobody: see caller).
    bool Create(const std::string& name);
    bool AlreadyExists() const { return m_bAlreadyExists; }
    void Release();

private:
    int m_fd = -1;
    bool m_bAlreadyExists = false;
};
