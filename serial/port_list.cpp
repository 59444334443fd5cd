#include "serial/port_list.h"

#include <algorithm>

#include "serial/network_ports.h"

namespace {
// Set by tests only, before any list is read.
std::function<SerialPortList()> g_lister;

// As a virtual COM driver shows its ports: the COM number, and the address
// for what it is.
SerialPortRecord NetworkPortRecord(const NetworkPortEntry& port)
{
    SerialPortRecord record;
    record.number = port.number;
    record.path = port.address;
    record.description = port.address;
    record.kind = ESerialPortKind::Network;
    record.key = port.address;
    record.identity = port.address;
    return record;
}

bool Holds(const std::vector<SerialPortRecord>& ports, int number)
{
    return std::any_of(ports.begin(), ports.end(), [number](const SerialPortRecord& port) { return port.number == number; });
}
}  // namespace

SerialPortList CPortList::List()
{
    if (g_lister)
        return g_lister();
    SerialPortList list = ListSystemPorts();
    // A port of the system's own keeps a number both claim.
    for (const NetworkPortEntry& port : CNetworkPorts::List())
        if (!Holds(list.ports, port.number))
            list.ports.push_back(NetworkPortRecord(port));
    std::stable_sort(list.ports.begin(), list.ports.end(),
                     [](const SerialPortRecord& a, const SerialPortRecord& b) { return a.number < b.number; });
    return list;
}

std::string CPortList::NetworkAddressOf(int number)
{
    if (g_lister) {
        for (const SerialPortRecord& port : g_lister().ports)
            if (port.number == number && port.kind == ESerialPortKind::Network)
                return port.path;
        return {};
    }
    // Most numbers are no network port's: the system is listed only for one.
    const std::string address = CNetworkPorts::AddressOf(number);
    return address.empty() || Holds(ListSystemPorts().ports, number) ? std::string() : address;
}

void CPortList::SetLister(std::function<SerialPortList()> lister)
{
    g_lister = std::move(lister);
}
