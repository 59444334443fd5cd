#include "serial/posix/com_port_numbers.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>

namespace {
int Preferred(const SerialPortInfo& port)
{
    return port.linkNumber != 0 ? port.linkNumber : port.uartIndex >= 0 ? port.uartIndex + 1 : 0;
}

bool InRange(int number)
{
    return number >= CComPortNumbers::kFirst && number <= CComPortNumbers::kLast;
}
}  // namespace

std::string CComPortNumbers::PlaceKey(const SerialPortInfo& port)
{
    if (!port.place.empty())
        return "at:" + port.place;
    return "node:" + port.devicePath;
}

std::string CComPortNumbers::Key(const SerialPortInfo& port)
{
    if (port.serialNumber.empty() || port.vendorId.empty() || port.productId.empty() ||
        (port.kind != ESerialPortKind::UsbSerial && port.kind != ESerialPortKind::UsbAcm))
        return PlaceKey(port);
    std::string key = port.vendorId + ":" + port.productId + ":" + port.serialNumber;
    // A device with several ports has one serial number for all of them.
    const size_t colon = port.place.rfind(':');
    const std::string interface = colon == std::string::npos ? std::string() : port.place.substr(colon + 1);
    if (!interface.empty() && interface != "1.0")
        key += ":" + interface;
    return key;
}

std::string CComPortNumbers::OrderKey(const SerialPortInfo& port)
{
    if (!port.byIdPath.empty())
        return std::filesystem::path(port.byIdPath).filename().string();
    return port.sysfsPath.empty() ? port.devicePath : port.sysfsPath;
}

bool CComPortNumbers::GiveFromTable(CComNumberStore::Table& table, const std::vector<const SerialPortInfo*>& pool,
                                    const std::set<int>& fixed, NumberedPorts& result)
{
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    // A number a link or a UART holds now is theirs; a network port keeps
    // its own, hidden behind theirs.
    bool changed = std::erase_if(table, [&](const ComNumberEntry& entry) {
                       return fixed.count(entry.number) && !CComNumberStore::IsNetworkPort(entry);
                   }) != 0;
    std::set<std::string> present;
    std::vector<std::pair<const SerialPortInfo*, std::string>> unnumbered;
    for (const SerialPortInfo* port : pool) {
        // Two devices that claim one serial number are told apart by place.
        std::string key = Key(*port);
        if (!present.insert(key).second && !present.insert(key = PlaceKey(*port)).second) {
            result.leftOut.push_back(*port);
            continue;
        }
        auto entry = std::find_if(table.begin(), table.end(), [&](const ComNumberEntry& e) { return e.key == key; });
        if (entry == table.end()) {
            unnumbered.emplace_back(port, key);
            continue;
        }
        if (entry->lastSeen + kSeenGranularitySeconds <= now || entry->device != port->devicePath ||
            entry->description != port->DisplayName()) {
            entry->lastSeen = now;
            entry->device = port->devicePath;
            entry->description = port->DisplayName();
            changed = true;
        }
        result.ports.push_back({entry->number, *port});
    }
    for (const auto& [port, key] : unnumbered) {
        int number = kFirst;
        auto given = [&table](int n) {
            return std::any_of(table.begin(), table.end(), [n](const ComNumberEntry& e) { return e.number == n; });
        };
        while (number <= kLast && (fixed.count(number) || given(number)))
            ++number;
        if (number > kLast) {
            // All given: take back the number of the device gone longest.
            auto oldest = table.end();
            for (auto entry = table.begin(); entry != table.end(); ++entry)
                if (!present.count(entry->key) && !CComNumberStore::IsNetworkPort(*entry) &&
                    (oldest == table.end() || entry->lastSeen < oldest->lastSeen))
                    oldest = entry;
            if (oldest == table.end()) {
                result.leftOut.push_back(*port);
                continue;
            }
            number = oldest->number;
            table.erase(oldest);
        }
        table.push_back({number, key, now, port->devicePath, port->DisplayName()});
        changed = true;
        result.ports.push_back({number, *port});
    }
    std::sort(table.begin(), table.end(),
              [](const ComNumberEntry& a, const ComNumberEntry& b) { return a.number < b.number; });
    return changed;
}

std::vector<NumberedPort> CComPortNumbers::Fixed(const std::vector<SerialPortInfo>& ports)
{
    std::vector<NumberedPort> fixed;
    std::set<int> taken;
    // Links first: a link is the user's own choice of number.
    for (const SerialPortInfo& port : ports)
        if (port.linkNumber != 0 && InRange(port.linkNumber) && taken.insert(port.linkNumber).second)
            fixed.push_back({port.linkNumber, port});
    for (const SerialPortInfo& port : ports)
        if (port.linkNumber == 0 && port.uartIndex >= 0 && InRange(Preferred(port)) &&
            taken.insert(Preferred(port)).second)
            fixed.push_back({Preferred(port), port});
    return fixed;
}

NumberedPorts CComPortNumbers::Assign(const std::vector<SerialPortInfo>& ports)
{
    NumberedPorts result;
    result.ports = Fixed(ports);
    std::set<int> fixed;
    for (const NumberedPort& port : result.ports)
        fixed.insert(port.number);
    // A UART whose number another port holds is numbered as any other.
    auto numbered = [&](const SerialPortInfo& port) {
        return std::any_of(result.ports.begin(), result.ports.end(),
                           [&](const NumberedPort& given) { return given.info.devicePath == port.devicePath; });
    };
    std::vector<const SerialPortInfo*> pool;
    // A link named outside 4 to 20 keeps its port out of the list; the
    // dialog names it with how to bring it in.
    for (const SerialPortInfo& port : ports) {
        if (port.linkNumber != 0) {
            if (!InRange(port.linkNumber))
                result.outOfRange.push_back({port.linkNumber, port});
            continue;
        }
        if (!numbered(port))
            pool.push_back(&port);
    }
    std::stable_sort(pool.begin(), pool.end(), [](const SerialPortInfo* a, const SerialPortInfo* b) {
        return OrderKey(*a) < OrderKey(*b);
    });
    // Without ports to number, the database is left alone.
    if (!pool.empty())
        m_store.Update([&](CComNumberStore::Table& table) { return GiveFromTable(table, pool, fixed, result); });
    for (auto* list : {&result.ports, &result.outOfRange})
        std::sort(list->begin(), list->end(),
                  [](const NumberedPort& a, const NumberedPort& b) { return a.number < b.number; });
    return result;
}
