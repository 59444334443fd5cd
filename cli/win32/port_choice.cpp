#include "cli/port_choice.h"

#include <algorithm>
#include <cctype>

#include "frontend/port_hints.h"
#include "frontend/win32/port_item_text.h"
#include "serial/win32/com_port_list.h"

// Windows numbers its ports itself and keeps no number for a device that is
// gone; whether a port is held is learnt only by opening it, when apctl
// opens it to talk.
namespace {
PortChoice Failed(int exitCode, std::string error)
{
    PortChoice choice;
    choice.exitCode = exitCode;
    choice.error = std::move(error);
    return choice;
}

PortChoice Chosen(const ComPortEntry& port)
{
    PortChoice choice;
    choice.number = port.number;
    choice.name = CPortItemText::ShortName(port);
    choice.path = port.name;
    return choice;
}

std::string Joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string joined;
    for (const std::string& part : parts)
        joined += (joined.empty() ? "" : separator) + part;
    return joined;
}
}  // namespace

PortChoice CPortChooser::Choose(const std::string& requested)
{
    if (requested.empty())
        return TheOnlyOne();
    std::string upper = requested;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    // "\\.\COM5" names the same port as "COM5".
    if (upper.rfind("\\\\.\\", 0) == 0)
        upper.erase(0, 4);
    return ByComName(upper);
}

PortChoice CPortChooser::ByComName(const std::string& comName)
{
    const int number = ParseComPortName(comName);
    for (const ComPortEntry& port : ListComPorts())
        if (number != 0 && port.number == number)
            return Chosen(port);
    return Failed(kExitPort, comName + ": no such port");
}

PortChoice CPortChooser::TheOnlyOne()
{
    const std::vector<ComPortEntry> ports = ListComPorts();
    if (ports.size() == 1)
        return Chosen(ports.front());
    if (ports.empty())
        return Failed(kExitPort, "no serial port can be opened: " + Joined(CPortHints::Lines({}, 0, false), " "));
    return Failed(kExitUsage,
                  "several ports can be opened, choose one with --port: " + Joined(CPortItemText::Items(ports), "; "));
}
