#pragma once

#include "serial/posix/com_port_resolver.h"
#include "tests/support/fake_sysfs.h"

// Points the COM port resolver at a fake tree (its sysfs, device and lock
// folders, no hardware database) for its life, then back at the machine's.
class CResolverOnTree {
public:
    explicit CResolverOnTree(const CFakeSysfs& tree)
    {
        CComPortResolver::SetHardwareNames(nullptr);
        CComPortResolver::SetSysfsRoot(tree.Sys());
        CComPortResolver::SetDeviceFolder(tree.Dev());
        CComPortResolver::SetLockFolder(tree.Locks());
    }
    ~CResolverOnTree()
    {
        CComPortResolver::SetSysfsRoot("/sys");
        CComPortResolver::SetDeviceFolder("/dev");
        CComPortResolver::SetLockFolder("/var/lock");
        CComPortResolver::SetProcRoot("/proc");
    }
};
