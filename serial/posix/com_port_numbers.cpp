#include "serial/posix/com_port_numbers.h"

#include <algorithm>
#include <filesystem>

std::string CComPortNumbers::Identity(const SerialPortInfo& port)
{
    if (port.linkNumber != 0)
        return "link:" + std::to_string(port.linkNumber);
    if (!port.byIdPath.empty())
        return "id:" + std::filesystem::path(port.byIdPath).filename().string();
    if (!port.sysfsPath.empty())
        return "sysfs:" + port.sysfsPath;
    return "node:" + port.devicePath;
}

std::string CComPortNumbers::OrderKey(const SerialPortInfo& port)
{
    if (!port.byIdPath.empty())
        return std::filesystem::path(port.byIdPath).filename().string();
    return port.sysfsPath.empty() ? port.devicePath : port.sysfsPath;
}

int CComPortNumbers::Known(const SerialPortInfo& port)
{
    const std::string identity = Identity(port);
    if (auto known = m_byIdentity.find(identity); known != m_byIdentity.end())
        return known->second;
    if (port.linkNumber == 0 && !port.sysfsPath.empty())
        if (auto seen = m_bySysfsPath.find(port.sysfsPath); seen != m_bySysfsPath.end()) {
            const int number = seen->second;
            m_byIdentity[identity] = number;
            m_bySysfsPath.erase(seen);
            return number;
        }
    return 0;
}

bool CComPortNumbers::Take(int number, const SerialPortInfo& port)
{
    if (number < kFirst || number > kLast || !m_taken.insert(number).second)
        return false;
    m_byIdentity[Identity(port)] = number;
    // Only a port known by its sysfs path may come back under a by-id name;
    // another adapter in the same socket is another device.
    if (port.linkNumber == 0 && port.byIdPath.empty() && !port.sysfsPath.empty())
        m_bySysfsPath.emplace(port.sysfsPath, number);
    return true;
}

NumberedPorts CComPortNumbers::Assign(const std::vector<SerialPortInfo>& ports)
{
    NumberedPorts result;
    std::vector<const SerialPortInfo*> unnumbered;
    for (const SerialPortInfo& port : ports) {
        if (int number = Known(port))
            result.ports.push_back({number, port});
        else if (port.linkNumber == 0 || (port.linkNumber >= kFirst && port.linkNumber <= kLast))
            unnumbered.push_back(&port);
        // A link named outside 4 to 20 is the user's way of keeping it out.
    }
    // Numbers the ports bring with them: links first, then the UARTs.
    auto preferred = [](const SerialPortInfo& port) {
        return port.linkNumber != 0 ? port.linkNumber : port.uartIndex >= 0 ? port.uartIndex + 1 : 0;
    };
    std::stable_sort(unnumbered.begin(), unnumbered.end(), [](const SerialPortInfo* a, const SerialPortInfo* b) {
        return (a->linkNumber != 0) > (b->linkNumber != 0);
    });
    std::vector<const SerialPortInfo*> rest;
    for (const SerialPortInfo* port : unnumbered) {
        if (Take(preferred(*port), *port))
            result.ports.push_back({preferred(*port), *port});
        else
            rest.push_back(port);
    }
    std::stable_sort(rest.begin(), rest.end(), [](const SerialPortInfo* a, const SerialPortInfo* b) {
        return OrderKey(*a) < OrderKey(*b);
    });
    int next = kFirst;
    for (const SerialPortInfo* port : rest) {
        while (next <= kLast && m_taken.count(next))
            ++next;
        if (next <= kLast && Take(next, *port))
            result.ports.push_back({next, *port});
        else
            result.leftOut.push_back(*port);
    }
    std::sort(result.ports.begin(), result.ports.end(),
              [](const NumberedPort& a, const NumberedPort& b) { return a.number < b.number; });
    return result;
}
