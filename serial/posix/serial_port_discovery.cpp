#include "serial/posix/serial_port_discovery.h"

#include <algorithm>
#include <charconv>

#include <glib.h>

#include "serial/posix/sysfs_text.h"

namespace fs = std::filesystem;

namespace {
// Words that say only that a device is a serial port of some kind.
bool IsGenericProduct(const std::string& product)
{
    return g_regex_match_simple(
        R"(\A(\s|[-_./()]|usb|serial|port|uart|controller|converter|adapter|device|cable|2\.0|1\.1)*\z)",
        product.c_str(), G_REGEX_CASELESS, GRegexMatchFlags(0));
}

// An empty folder (a tree that went away) holds nothing.
bool IsWithin(const fs::path& path, const fs::path& folder)
{
    if (folder.empty() || path.empty())
        return false;
    auto [inFolder, inPath] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return inFolder == folder.end();
}

// The UART type the 8250 driver found; 0 (unknown) for a placeholder.
bool HasUart(const fs::path& ttyFolder)
{
    const std::string type = CSysfsText::Read(ttyFolder / "type");
    int value = 0;
    auto [ptr, error] = std::from_chars(type.data(), type.data() + type.size(), value);
    return error == std::errc() && ptr == type.data() + type.size() && value > 0;
}

// "0x8086" as PCI attributes give it, "8086" as USB ones do.
std::string BusId(const fs::path& file)
{
    std::string id = CSysfsText::Read(file);
    if (id.size() > 2 && id[0] == '0' && (id[1] == 'x' || id[1] == 'X'))
        id.erase(0, 2);
    return id;
}

// k of "ttyS<k>", or -1.
int UartIndex(const std::string& name)
{
    if (name.size() <= 4 || name.compare(0, 4, "ttyS") != 0)
        return -1;
    int k = -1;
    const char* end = name.data() + name.size();
    auto [ptr, error] = std::from_chars(name.data() + 4, end, k);
    return error == std::errc() && ptr == end ? k : -1;
}

// The entries of a folder; none when it cannot be read. Unlike a range-for
// over a directory iterator, a folder that goes away midway throws nothing.
std::vector<fs::path> Entries(const fs::path& folder)
{
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        entries.push_back(it->path());
    return entries;
}

// N of "com<N>", or 0.
int ComLinkNumber(const std::string& name)
{
    if (name.size() <= 3 || name.compare(0, 3, "com") != 0 || name[3] == '0')
        return 0;
    int n = 0;
    const char* end = name.data() + name.size();
    auto [ptr, error] = std::from_chars(name.data() + 3, end, n);
    return error == std::errc() && ptr == end ? n : 0;
}
}  // namespace

CSerialPortDiscovery::CSerialPortDiscovery(fs::path sysfsRoot, fs::path deviceFolder, const IHardwareNames* names)
    : m_sysfsRoot(std::move(sysfsRoot)), m_deviceFolder(std::move(deviceFolder)), m_pNames(names)
{
}

std::string CSerialPortDiscovery::Canonical(const fs::path& path) const
{
    std::error_code error;
    fs::path resolved = fs::canonical(path, error);
    return error ? std::string() : resolved.string();
}

std::vector<SerialPortInfo> CSerialPortDiscovery::List() const
{
    std::vector<SerialPortInfo> found;
    for (const fs::path& entry : Entries(m_sysfsRoot / "class" / "tty")) {
        SerialPortInfo port;
        if (FromSysfs(entry, port))
            found.push_back(std::move(port));
    }
    const auto byId = ByIdNames();
    std::map<std::string, size_t> byNode;
    for (size_t i = 0; i < found.size(); ++i) {
        const std::string node = Canonical(found[i].devicePath);
        if (auto name = byId.find(node); name != byId.end())
            found[i].byIdPath = name->second;
        byNode.emplace(node, i);
    }

    std::vector<SerialPortInfo> ports;
    std::vector<bool> linked(found.size(), false);
    for (const fs::path& entry : Entries(m_deviceFolder)) {
        const int number = ComLinkNumber(entry.filename().string());
        const std::string node = number ? Canonical(entry) : std::string();
        if (node.empty())
            continue;  // not a comN name, or a link to nothing
        SerialPortInfo port;
        port.kind = ESerialPortKind::LinkOnly;
        if (auto behind = byNode.find(node); behind != byNode.end()) {
            port = found[behind->second];
            linked[behind->second] = true;
        }
        port.linkNumber = number;
        port.devicePath = entry.string();
        std::error_code notLink;
        const fs::path target = fs::read_symlink(entry, notLink);
        if (!notLink)
            port.linkTarget = (m_deviceFolder / target).lexically_normal().string();
        ports.push_back(std::move(port));
    }
    for (size_t i = 0; i < found.size(); ++i)
        if (!linked[i])
            ports.push_back(std::move(found[i]));
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.devicePath < b.devicePath; });
    return ports;
}

bool CSerialPortDiscovery::FromSysfs(const fs::path& classEntry, SerialPortInfo& port) const
{
    std::error_code error;
    const std::string name = classEntry.filename().string();
    // Virtual consoles and ptys have no device behind them.
    if (!fs::exists(classEntry / "device", error))
        return false;
    const std::string tty = Canonical(classEntry);
    const std::string device = Canonical(classEntry / "device");
    const fs::path devices = Canonical(m_sysfsRoot / "devices");
    if (tty.empty() || device.empty() || devices.empty() || IsWithin(tty, devices / "virtual") ||
        (IsWithin(tty, devices / "platform" / "serial8250") && !HasUart(tty)))
        return false;
    const fs::path node = m_deviceFolder / name;
    if (!fs::exists(node, error))
        return false;
    port.kernelName = name;
    port.devicePath = node.string();
    port.sysfsPath = tty;
    port.uartIndex = UartIndex(name);
    port.place = fs::path(tty).lexically_relative(devices).string();
    DescribeDevice(device, port);
    return true;
}

void CSerialPortDiscovery::DescribeDevice(const fs::path& device, SerialPortInfo& port) const
{
    const fs::path devices = Canonical(m_sysfsRoot / "devices");
    std::error_code error;
    // Up from the tty's device to the first one that says what it is; the
    // root's parent is the root, so the walk stops there at the latest.
    fs::path below;
    for (fs::path at = device; IsWithin(at, devices) && at != devices && at != at.parent_path();
         below = at, at = at.parent_path()) {
        if (fs::exists(at / "idVendor", error) && fs::exists(at / "idProduct", error)) {
            // The interface the tty hangs off names the USB port and which
            // of the device's ports it is.
            if (!below.empty())
                port.place = below.lexically_relative(devices).string();
            DescribeUsb(at, port);
            return;
        }
        const std::string subsystem = fs::path(Canonical(at / "subsystem")).filename().string();
        if (subsystem == "pci") {
            DescribePci(at, port);
            return;
        }
        if (subsystem == "pnp" || subsystem == "platform" || subsystem == "acpi" || subsystem == "isa") {
            port.kind = ESerialPortKind::BuiltIn;
            return;
        }
    }
    port.kind = ESerialPortKind::Other;
}

void CSerialPortDiscovery::DescribeUsb(const fs::path& usbDevice, SerialPortInfo& port) const
{
    port.kind = port.kernelName.compare(0, 6, "ttyACM") == 0 ? ESerialPortKind::UsbAcm : ESerialPortKind::UsbSerial;
    port.product = CSysfsText::Read(usbDevice / "product");
    port.manufacturer = CSysfsText::Read(usbDevice / "manufacturer");
    port.serialNumber = CSysfsText::Read(usbDevice / "serial");
    port.vendorId = BusId(usbDevice / "idVendor");
    port.productId = BusId(usbDevice / "idProduct");
    port.productIsGeneric = !port.product.empty() && IsGenericProduct(port.product);
    if (m_pNames && (port.product.empty() || port.productIsGeneric)) {
        HardwareName name = m_pNames->Usb(port.vendorId, port.productId);
        if (!name.model.empty()) {
            port.databaseVendor = std::move(name.vendor);
            port.databaseModel = std::move(name.model);
        }
    }
}

void CSerialPortDiscovery::DescribePci(const fs::path& pciDevice, SerialPortInfo& port) const
{
    port.kind = ESerialPortKind::Pci;
    port.vendorId = BusId(pciDevice / "vendor");
    port.productId = BusId(pciDevice / "device");
    if (m_pNames) {
        HardwareName name = m_pNames->Pci(port.vendorId, port.productId);
        if (!name.model.empty()) {
            port.databaseVendor = std::move(name.vendor);
            port.databaseModel = std::move(name.model);
        }
    }
}

std::map<std::string, std::string> CSerialPortDiscovery::ByIdNames() const
{
    std::map<std::string, std::string> names;
    for (const fs::path& entry : Entries(m_deviceFolder / "serial" / "by-id")) {
        const std::string node = Canonical(entry);
        if (!node.empty())
            names.emplace(node, entry.string());
    }
    return names;
}
