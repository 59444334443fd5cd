#pragma once

#include <memory>

#include "app/framework/single_instance_lock.h"
#include "app/framework/win_types.h"

class CSerialPort;

// The program's whole life, from the single-instance check to releasing the
// port, runs inside InitInstance; it always returns FALSE, so no application
// loop follows, and ExitInstance ends the run.
class CUtilityApp {
public:
    static constexpr const char* kInstanceLockName = "QUILLONCOMLOCK";

    virtual ~CUtilityApp() = default;

    BOOL InitInstance();
    int ExitInstance();

protected:
    // The port the conversation runs on; tests watch it.
    virtual std::unique_ptr<CSerialPort> CreatePort();

private:
    CSingleInstanceLock m_instanceLock;
};
