#include "serial/posix/udev_hardware_names.h"

#include <libudev.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "serial/posix/sysfs_text.h"

namespace {
// "10c4" as the database keys it: upper-case, zero-padded to width.
std::string HexKey(std::string id, size_t width)
{
    std::transform(id.begin(), id.end(), id.begin(), [](unsigned char c) { return std::toupper(c); });
    const bool hex = !id.empty() && id.size() <= width &&
                     std::all_of(id.begin(), id.end(), [](unsigned char c) { return std::isxdigit(c); });
    return hex ? std::string(width - id.size(), '0') + id : std::string();
}
}  // namespace

CUdevHardwareNames::CUdevHardwareNames() : m_pUdev(udev_new())
{
    if (m_pUdev)
        m_pHwdb = udev_hwdb_new(m_pUdev);
}

CUdevHardwareNames::~CUdevHardwareNames()
{
    if (m_pHwdb)
        udev_hwdb_unref(m_pHwdb);
    if (m_pUdev)
        udev_unref(m_pUdev);
}

HardwareName CUdevHardwareNames::Usb(const std::string& vendorId, const std::string& productId) const
{
    const std::string vendor = HexKey(vendorId, 4), product = HexKey(productId, 4);
    if (vendor.empty() || product.empty())
        return {};
    return Lookup("usb:v" + vendor + "p" + product + "*");
}

HardwareName CUdevHardwareNames::Pci(const std::string& vendorId, const std::string& deviceId) const
{
    const std::string vendor = HexKey(vendorId, 8), device = HexKey(deviceId, 8);
    if (vendor.empty() || device.empty())
        return {};
    return Lookup("pci:v" + vendor + "d" + device + "*");
}

HardwareName CUdevHardwareNames::Lookup(const std::string& modalias) const
{
    HardwareName name;
    if (!m_pHwdb)
        return name;
    udev_list_entry* entry;
    udev_list_entry_foreach(entry, udev_hwdb_get_properties_list_entry(m_pHwdb, modalias.c_str(), 0))
    {
        const char* key = udev_list_entry_get_name(entry);
        const char* value = udev_list_entry_get_value(entry);
        if (!key || !value)
            continue;
        if (std::strcmp(key, "ID_VENDOR_FROM_DATABASE") == 0)
            name.vendor = CSysfsText::Clean(value);
        else if (std::strcmp(key, "ID_MODEL_FROM_DATABASE") == 0)
            name.model = CSysfsText::Clean(value);
    }
    return name;
}
