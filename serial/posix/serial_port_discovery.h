#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "serial/posix/hardware_names.h"
#include "serial/posix/serial_port_info.h"

// Finds the machine's serial ports the way the kernel shows them: every tty
// of sysfs's tty class that has a device behind it (USB serial adapters,
// modem-class USB devices, on-board, PnP and PCI UARTs), except the
// placeholder UARTs the 8250 driver registers whether or not hardware is
// there; and every comN link of the device folder. A link to a port found in
// sysfs stands for that port. Sysfs is read directly, so a test can lay out a
// tree of its own; both roots are parameters.
class CSerialPortDiscovery {
public:
    // names may be null: no database lookups.
    CSerialPortDiscovery(std::filesystem::path sysfsRoot, std::filesystem::path deviceFolder,
                         const IHardwareNames* names = nullptr);

    // In the order of their device paths.
    std::vector<SerialPortInfo> List() const;

private:
    bool FromSysfs(const std::filesystem::path& classEntry, SerialPortInfo& port) const;
    void DescribeDevice(const std::filesystem::path& device, SerialPortInfo& port) const;
    void DescribeUsb(const std::filesystem::path& usbDevice, SerialPortInfo& port) const;
    void DescribePci(const std::filesystem::path& pciDevice, SerialPortInfo& port) const;
    // Resolved node path to its /dev/serial/by-id name.
    std::map<std::string, std::string> ByIdNames() const;
    std::string Canonical(const std::filesystem::path& path) const;

    std::filesystem::path m_sysfsRoot;
    std::filesystem::path m_deviceFolder;
    const IHardwareNames* m_pNames;
};
