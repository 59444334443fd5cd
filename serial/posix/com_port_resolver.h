#pragma once

#include <string>

// Maps the port names "COM<n>" to tty devices: "<folder>/com<n>" when that
// link exists (a udev rule or `ln -s /dev/ttyUSB0 /dev/com5`), otherwise
// "<folder>/ttyS<n-1>", the kernel's own numbering (COM1 = ttyS0). The folder
// is /dev; tests point it elsewhere.
class CComPortResolver {
public:
    static std::string DevicePath(const std::string& comName);
    static void SetDeviceFolder(std::string folder);
    static const std::string& DeviceFolder();
};
