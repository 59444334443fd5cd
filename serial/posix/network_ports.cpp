#include "serial/network_ports.h"

#include <algorithm>
#include <ctime>

#include "serial/posix/com_port_resolver.h"

// Here network ports are rows of the COM number database, keyed by their
// address: numbering devices then passes over their numbers, and both
// programs read them under the same lock.
namespace {
using Table = CComNumberStore::Table;

std::string ComNameOf(int number)
{
    return "COM" + std::to_string(number);
}

// A row kept for a device: what the user knows it by, and where it was.
std::string DeviceOf(const ComNumberEntry& entry)
{
    const std::string what = entry.description.empty() ? entry.key : entry.description;
    return entry.device.empty() ? what : what + " (" + entry.device + ")";
}

CNetworkPorts::Result Edit(const std::function<CNetworkPorts::Result(Table&)>& change)
{
    CNetworkPorts::Result result;
    bool saved = true;
    CComPortResolver::UpdateNumbers(
        [&](Table& table) {
            result = change(table);
            return result.change == CNetworkPorts::EChange::Done;
        },
        saved);
    if (result.change == CNetworkPorts::EChange::Done && !saved)
        return {CNetworkPorts::EChange::NotSaved, CComNumberStore::Folder() + "/" + CComNumberStore::kFileName};
    return result;
}
}  // namespace

std::vector<NetworkPortEntry> CNetworkPorts::List()
{
    std::vector<NetworkPortEntry> ports;
    for (const ComNumberEntry& entry : CComPortResolver::KeptNumbers())
        if (CComNumberStore::IsNetworkPort(entry))
            ports.push_back({entry.number, entry.key});
    return ports;
}

CNetworkPorts::Result CNetworkPorts::Add(int number, const std::string& address)
{
    // Links and UARTs hold their numbers outside the database. A device
    // never listed has no number yet: it gets one the user did not take.
    for (const NumberedPort& port : CComPortResolver::FixedPorts())
        if (port.number == number)
            return {EChange::SystemNumber, port.info.devicePath};
    return Edit([&](Table& table) -> Result {
        for (const ComNumberEntry& entry : table) {
            if (entry.number == number && entry.key == address)
                return {EChange::Unchanged, {}};
            if (entry.number == number)
                return CComNumberStore::IsNetworkPort(entry) ? Result{EChange::NumberTaken, entry.key}
                                                             : Result{EChange::SystemNumber, DeviceOf(entry)};
            if (entry.key == address)
                return {EChange::AddressTaken, ComNameOf(entry.number)};
        }
        table.push_back({number, address, static_cast<int64_t>(std::time(nullptr)), address, {}});
        std::sort(table.begin(), table.end(),
                  [](const ComNumberEntry& a, const ComNumberEntry& b) { return a.number < b.number; });
        return {EChange::Done, {}};
    });
}

CNetworkPorts::Result CNetworkPorts::Remove(int number)
{
    return Edit([&](Table& table) -> Result {
        const size_t removed = std::erase_if(table, [&](const ComNumberEntry& entry) {
            return entry.number == number && CComNumberStore::IsNetworkPort(entry);
        });
        return {removed != 0 ? EChange::Done : EChange::NotThere, {}};
    });
}
