#pragma once

#include "serial/posix/hardware_names.h"

struct udev;
struct udev_hwdb;

// The machine's own hardware database, as udev keeps it. Where it has not
// been built (no udev installed), every lookup comes back empty.
class CUdevHardwareNames : public IHardwareNames {
public:
    CUdevHardwareNames();
    ~CUdevHardwareNames() override;
    CUdevHardwareNames(const CUdevHardwareNames&) = delete;
    CUdevHardwareNames& operator=(const CUdevHardwareNames&) = delete;

    HardwareName Usb(const std::string& vendorId, const std::string& productId) const override;
    HardwareName Pci(const std::string& vendorId, const std::string& deviceId) const override;

private:
    HardwareName Lookup(const std::string& modalias) const;

    udev* m_pUdev = nullptr;
    udev_hwdb* m_pHwdb = nullptr;
};
