#include "cli/port_choice.h"

#include <cerrno>

#include "cli/apctl_string_ids.h"
#include "cli/apctl_text.h"
#include "frontend/port_hints.h"
#include "frontend/port_item_text.h"
#include "frontend/string_table.h"
#include "serial/port_list.h"
#include "serial/rfc2217/network_port_address.h"
#include "serial/system_error_text.h"

namespace {
PortChoice Failed(int exitCode, std::string error)
{
    PortChoice choice;
    choice.exitCode = exitCode;
    choice.error = std::move(error);
    return choice;
}

// The dialog's words for why a port cannot be used, or the system's.
std::string Why(const std::string& name, const PortAccess& access)
{
    std::string line = CPortHints::Line(name, access);
    return line.size() > name.size() + 2 ? line : name + ": " + SystemErrorText(access.error);
}

std::string Joined(const std::vector<std::string>& parts, const char* separator)
{
    std::string joined;
    for (const std::string& part : parts)
        joined += (joined.empty() ? "" : separator) + part;
    return joined;
}

// The choice, unless the port cannot be had now: then why.
PortChoice Checked(int number, const std::string& name, const std::string& path, const PortAccess& access,
                   const std::string& jsonName = {})
{
    if (!access.Openable())
        return Failed(CPortChooser::kExitPort, Why(name, access));
    PortChoice choice;
    choice.number = number;
    choice.name = name;
    choice.jsonName = jsonName.empty() ? name : jsonName;
    choice.path = path;
    return choice;
}

std::string EnglishShortName(const SerialPortRecord& port)
{
    CStringTable::EnglishScope english;
    return CPortItemText::ShortName(port);
}

// A port the list does not hold, judged by its path alone.
PortChoice CheckedPath(int number, const std::string& name, const std::string& path)
{
    SerialPortRecord port;
    port.path = path;
    return Checked(number, name, path, CPortList::Judge(port));
}
}  // namespace

PortChoice CPortChooser::Choose(const std::string& requested)
{
    if (requested.empty())
        return TheOnlyOne();
    // A network port is in no list: whether it can be had, connecting says.
    if (NetworkPortAddress::IsNetworkName(requested))
        return ByAddress(requested);
    if (const std::optional<ComName> comName = CPortList::ReadComName(requested))
        return ByComName(comName->name, comName->number);
    return ByPath(requested);
}

PortChoice CPortChooser::ByComName(const std::string& comName, int number)
{
    for (const SerialPortRecord& port : CPortList::List().ports)
        if (number != 0 && port.number == number)
            return Checked(number, CPortItemText::ShortName(port), port.path, port.access, EnglishShortName(port));
    // A number kept for a device that is not there names that device still.
    for (const SerialPortRecord& kept : CPortList::Absent())
        if (kept.number == number)
            return Failed(kExitPort,
                          CApctlText::Get(IDS_APCTL_KEPT_NOT_PLUGGED_IN,
                                          {comName, kept.description.empty() ? kept.key : kept.description, kept.key}));
    const std::string path = CPortList::PathOfName(comName);
    if (path.empty())
        return Failed(kExitPort, CApctlText::Get(IDS_APCTL_NO_SUCH_PORT, {comName}));
    return CheckedPath(number, comName, path);
}

PortChoice CPortChooser::ByPath(const std::string& path)
{
    const int number = CPortList::NumberForPath(path);
    if (number == 0) {
        PortAccess missing;
        missing.problem = EPortProblem::Other;
        missing.error = ENOENT;
        return Failed(kExitPort, Why(path, missing));
    }
    for (SerialPortRecord port : CPortList::List().ports)
        if (port.number == number) {
            // Opened as named, judged as the device it leads to.
            port.path = path;
            return Checked(number, CPortItemText::ShortName(port), path, CPortList::Judge(port), EnglishShortName(port));
        }
    return CheckedPath(number, path, path);
}

PortChoice CPortChooser::ByAddress(const std::string& address)
{
    if (!NetworkPortAddress::Parse(address))
        return Failed(kExitUsage, CApctlText::Get(IDS_APCTL_NETWORK_NAME, {address}));
    PortChoice choice;
    choice.name = address;
    choice.path = address;
    choice.network = true;
    return choice;
}

PortChoice CPortChooser::TheOnlyOne()
{
    const SerialPortList found = CPortList::List();
    std::vector<SerialPortRecord> openable;
    std::vector<SerialPortRecord> refused;
    for (const SerialPortRecord& port : found.ports)
        // The kernel's console or a login's terminal would take the question
        // as typed text: never a port picked without being named.
        if (!port.access.Openable())
            refused.push_back(port);
        else if (!CPortList::IsTerminal(port))
            openable.push_back(port);
    if (openable.size() == 1)
        return Checked(openable[0].number, CPortItemText::ShortName(openable[0]), openable[0].path, openable[0].access,
                       EnglishShortName(openable[0]));
    if (openable.empty()) {
        const auto hints = CPortHints::Lines(refused, found.unnumbered, !found.ports.empty());
        return Failed(kExitPort, hints.empty() ? CApctlText::Get(IDS_APCTL_NO_PORT_OPENS)
                                               : CApctlText::Get(IDS_APCTL_NO_PORT_OPENS_BECAUSE, {Joined(hints, " ")}));
    }
    return Failed(kExitUsage,
                  CApctlText::Get(IDS_APCTL_SEVERAL_PORTS, {Joined(CPortItemText::Items(openable), "; ")}));
}
