#include "serial/port_list.h"

#include <algorithm>
#include <cctype>

#include "serial/posix/com_port_resolver.h"
#include "serial/posix/port_probe.h"
#include "serial/posix/terminal_use.h"

// Here the numbers are the program's own: the COM number database, /dev/comN
// links and UART indexes give them (see CComPortNumbers), and sysfs and udev
// say what each port is.
namespace {
// Where the number comes from: the link, the UART, else the database's key.
std::string Source(const SerialPortInfo& port)
{
    if (port.linkNumber != 0)
        return "link " + port.devicePath;
    if (port.uartIndex >= 0 && port.uartIndex + 1 >= CComPortNumbers::kFirst &&
        port.uartIndex + 1 <= CComPortNumbers::kLast)
        return "UART " + port.kernelName;
    return CComPortNumbers::Key(port);
}

SerialPortRecord Record(const NumberedPort& port)
{
    const SerialPortInfo& info = port.info;
    SerialPortRecord record;
    record.number = port.number;
    record.path = info.OpenPath();
    record.node = info.devicePath;
    record.numberFromLink = info.linkNumber != 0;
    if (record.numberFromLink)
        record.linkTarget = info.linkTarget;
    record.description = info.DisplayName();
    record.kind = info.kind;
    record.manufacturer = info.manufacturer;
    record.serialNumber = info.serialNumber;
    record.vendorId = info.vendorId;
    record.productId = info.productId;
    record.stableName = info.byIdPath;
    record.kernelName = info.kernelName;
    record.key = Source(info);
    // Clones that share a serial number differ by their place.
    record.identity = CComPortNumbers::Key(info) + '\n' + CComPortNumbers::PlaceKey(info);
    return record;
}

std::vector<SerialPortRecord> Records(const std::vector<NumberedPort>& ports)
{
    std::vector<SerialPortRecord> records;
    for (const NumberedPort& port : ports)
        records.push_back(Record(port));
    return records;
}
}  // namespace

SerialPortList CPortList::ListSystemPorts()
{
    const NumberedPorts found = CComPortResolver::ListPorts();
    SerialPortList list{Records(found.ports), Records(found.outOfRange), found.leftOut.size()};
    for (SerialPortRecord& port : list.ports)
        port.access = Judge(port);
    return list;
}

PortAccess CPortList::Judge(const SerialPortRecord& port)
{
    // Whether a network port can be had, only connecting tells.
    if (port.kind == ESerialPortKind::Network)
        return {};
    return CPortProbe::Judge(port.path, CComPortResolver::LockFolder(), port.kernelName);
}

std::vector<SerialPortRecord> CPortList::Absent()
{
    std::vector<SerialPortRecord> absent;
    for (const ComNumberEntry& kept : CComPortResolver::KeptNumbers()) {
        if (CComNumberStore::IsNetworkPort(kept))
            continue;
        SerialPortRecord record;
        record.number = kept.number;
        record.node = kept.device;
        record.description = kept.description;
        record.key = kept.key;
        record.present = false;
        absent.push_back(record);
    }
    return absent;
}

std::optional<ComName> CPortList::ReadComName(const std::string& text)
{
    std::string upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    if (upper.compare(0, 3, "COM") != 0 || upper.size() == 3 ||
        !std::all_of(upper.begin() + 3, upper.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return ComName{upper, std::stoi(upper.substr(3, 6))};
}

std::string CPortList::PathOfName(const std::string& comName)
{
    return CComPortResolver::DevicePath(comName);
}

int CPortList::NumberForPath(const std::string& path)
{
    return CComPortResolver::NumberForPath(path);
}

bool CPortList::IsTerminal(const SerialPortRecord& port)
{
    if (port.kind == ESerialPortKind::Network)
        return false;
    SerialPortInfo info;
    info.kernelName = port.kernelName;
    info.devicePath = port.path;
    return CTerminalUse::InUse(info, CComPortResolver::SysfsRoot(), CComPortResolver::ProcRoot());
}

std::vector<std::string> CPortList::WatchedFolders()
{
    // The kernel makes and removes the nodes itself, so the folder shows a
    // plug where no udev daemon runs; by-id names come a moment later. A
    // port in use comes back when its owner removes its UUCP lock file.
    const std::string folder = CComPortResolver::DeviceFolder();
    // The COM number database changes when apctl adds or removes a network
    // port. Reading it makes its folder where there is none yet, so the
    // first port added is seen too.
    CComPortResolver::KeptNumbers();
    return {folder, folder + "/serial/by-id", CComPortResolver::LockFolder(), CComNumberStore::Folder()};
}
