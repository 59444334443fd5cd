#include "cli/port_choice.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "frontend/port_hints.h"
#include "frontend/posix/port_item_text.h"
#include "serial/posix/com_port_resolver.h"
#include "serial/posix/port_probe.h"
#include "serial/posix/terminal_use.h"
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
}  // namespace

PortChoice CPortChooser::Choose(const std::string& requested)
{
    if (requested.empty())
        return TheOnlyOne();
    std::string upper = requested;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    if (upper.compare(0, 3, "COM") == 0 && upper.size() > 3 &&
        std::all_of(upper.begin() + 3, upper.end(), [](unsigned char c) { return std::isdigit(c); }))
        return ByComName(upper);
    return ByPath(requested);
}

PortChoice CPortChooser::ByComName(const std::string& comName)
{
    const int number = std::stoi(comName.substr(3, 6));
    for (const NumberedPort& port : CComPortResolver::ListPorts().ports)
        if (port.number == number)
            return Checked(number, CPortItemText::ShortName(port), port.info.OpenPath(), port.info.kernelName);
    // A number kept for a device that is not there names that device still.
    for (const ComNumberEntry& kept : CComPortResolver::KeptNumbers())
        if (kept.number == number)
            return Failed(kExitPort, comName + " is " + (kept.description.empty() ? kept.key : kept.description) +
                                         " (" + kept.key + "), which is not plugged in");
    const std::string path = CComPortResolver::DevicePath(comName);
    if (path.empty())
        return Failed(kExitPort, comName + ": no such port");
    return Checked(number, comName, path);
}

PortChoice CPortChooser::ByPath(const std::string& path)
{
    const int number = CComPortResolver::NumberForPath(path);
    if (number == 0) {
        PortAccess missing;
        missing.problem = EPortProblem::Other;
        missing.error = ENOENT;
        return Failed(kExitPort, Why(path, missing));
    }
    for (const NumberedPort& port : CComPortResolver::ListPorts().ports)
        if (port.number == number)
            return Checked(number, CPortItemText::ShortName(port), path, port.info.kernelName);
    return Checked(number, path, path);
}

PortChoice CPortChooser::TheOnlyOne()
{
    const NumberedPorts found = CComPortResolver::ListPorts();
    auto [openable, refused] = CPortHints::Judge(found.ports);
    // The kernel's console or a login's terminal would take the question as
    // typed text: never a port picked without being named.
    std::erase_if(openable, [](const NumberedPort& port) {
        return CTerminalUse::InUse(port.info, CComPortResolver::SysfsRoot(), CComPortResolver::ProcRoot());
    });
    if (openable.size() == 1) {
        PortChoice choice;
        choice.number = openable[0].number;
        choice.name = CPortItemText::ShortName(openable[0]);
        choice.path = openable[0].info.OpenPath();
        return choice;
    }
    if (openable.empty()) {
        const auto hints = CPortHints::Lines(refused, found.leftOut.size(), !found.ports.empty());
        return Failed(kExitPort, "no serial port can be opened" + (hints.empty() ? "" : ": " + Joined(hints, " ")));
    }
    return Failed(kExitUsage, "several ports can be opened, choose one with --port: " +
                                  Joined(CPortItemText::Items(openable), "; "));
}

PortChoice CPortChooser::Checked(int number, const std::string& name, const std::string& path,
                                 const std::string& kernelName)
{
    const PortAccess access = CPortProbe::Judge(path, CComPortResolver::LockFolder(), kernelName);
    if (!access.Openable())
        return Failed(kExitPort, Why(name, access));
    PortChoice choice;
    choice.number = number;
    choice.name = name;
    choice.path = path;
    return choice;
}
