#include "serial/port_list.h"

#include <algorithm>
#include <cctype>

#include "serial/win32/com_port_list.h"

// Windows numbers its ports itself and keeps a device's number with it; it
// keeps none for a device that is gone. Whether a port is held is learnt only
// by opening it, so each listed port counts as one that can be had.
SerialPortRecord ToPortRecord(const ComPortEntry& port)
{
    SerialPortRecord record;
    record.number = port.number;
    // The device namespace's form, which also reaches COM10 and above.
    record.path = "\\\\.\\" + port.name;
    record.displayName = port.friendlyName;
    record.driverDevice = port.device;
    record.key = port.device;
    // The number stays with the device: the same number is the same port.
    record.identity = port.name;
    return record;
}

SerialPortList CPortList::ListSystemPorts()
{
    SerialPortList list;
    for (const ComPortEntry& port : ListComPorts())
        list.ports.push_back(ToPortRecord(port));
    return list;
}

PortAccess CPortList::Judge(const SerialPortRecord&)
{
    return {};
}

std::vector<SerialPortRecord> CPortList::Absent()
{
    return {};
}

std::optional<ComName> CPortList::ReadComName(const std::string& text)
{
    // Every name is a COM name here; "\\.\COM5" names the same port as "COM5".
    std::string upper = text;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    if (upper.rfind("\\\\.\\", 0) == 0)
        upper.erase(0, 4);
    return ComName{upper, ParseComPortName(upper)};
}

std::string CPortList::PathOfName(const std::string&)
{
    return {};
}

int CPortList::NumberForPath(const std::string& path)
{
    const std::optional<ComName> name = ReadComName(path);
    for (const ComPortEntry& port : ListComPorts())
        if (name->number != 0 && port.number == name->number)
            return port.number;
    return 0;
}

bool CPortList::IsTerminal(const SerialPortRecord&)
{
    return false;
}

std::vector<std::string> CPortList::WatchedFolders()
{
    // WM_DEVICECHANGE tells every top-level window of a port's arrival and removal.
    return {};
}
