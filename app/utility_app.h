#pragma once

#include "app/framework/single_instance_lock.h"
#include "app/framework/win_types.h"

// The program's whole life, from the single-instance check to releasing the
// port, runs inside InitInstance; it always returns FALSE, so no application
// loop follows, and ExitInstance ends the run.
class CUtilityApp {
public:
    static constexpr const char* kInstanceLockName = "QUILLONCOMLOCK";

    BOOL InitInstance();
    int ExitInstance();

private:
    CSingleInstanceLock m_instanceLock;
};
