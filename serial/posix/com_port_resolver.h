#pragma once

#include <string>

#include "serial/posix/com_port_numbers.h"
#include "serial/posix/hardware_names.h"

// The port names "COM<n>": the machine's serial ports, found in sysfs and the
// device folder, numbered as the COM number database keeps them (see
// CComPortNumbers). "COM<n>" opens the device that n names now, or nothing
// when it is not there; a comN link outside 4 to 20 still names itself. The
// sysfs root is /sys, the device folder /dev, the UUCP lock folder
// /var/lock and the process folder /proc; tests point them elsewhere.
class CComPortResolver {
public:
    static std::string DevicePath(const std::string& comName);
    // Finds the ports now and numbers the new ones.
    static NumberedPorts ListPorts();
    // The ports links and UARTs number now, without numbering any other.
    static std::vector<NumberedPort> FixedPorts();
    // The number that opens the device at path: its own when it is listed,
    // else one past 20, which the port dialog never offers; 0 when nothing
    // is there.
    static int NumberForPath(const std::string& path);

    static void SetDeviceFolder(std::string folder);
    static const std::string& DeviceFolder();
    static void SetSysfsRoot(std::string root);
    static const std::string& SysfsRoot();
    // Null: no database. The default is the machine's own, made on first use.
    static void SetHardwareNames(const IHardwareNames* names);
    static void SetLockFolder(std::string folder);
    static const std::string& LockFolder();
    // Where the processes' stat files are (/proc), to tell a tty some
    // process has as its terminal.
    static void SetProcRoot(std::string root);
    static const std::string& ProcRoot();
    // Every number the database keeps, for devices present or not.
    static CComNumberStore::Table KeptNumbers();
    // Edits the database under its lock; saved says whether the result is
    // on disk.
    static CComNumberStore::Table UpdateNumbers(const std::function<bool(CComNumberStore::Table&)>& change,
                                                bool& saved);
};
