#pragma once

#include <string>

// A vendor and model as a hardware database names them; empty when unknown.
struct HardwareName {
    std::string vendor;
    std::string model;
};

// Looks up devices by their bus ids (four hex digits each, as sysfs gives them).
class IHardwareNames {
public:
    virtual ~IHardwareNames() = default;
    virtual HardwareName Usb(const std::string& vendorId, const std::string& productId) const = 0;
    virtual HardwareName Pci(const std::string& vendorId, const std::string& deviceId) const = 0;
};
