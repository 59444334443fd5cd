#include "serial/posix/terminal_use.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cctype>
#include <filesystem>
#include <sstream>

#include "serial/posix/small_file.h"
#include "serial/posix/sysfs_text.h"

namespace {
// The device number a /proc/<pid>/stat line gives as its tty_nr (the
// seventh field), or 0 for none.
unsigned long TerminalOf(const std::string& statLine)
{
    // The command name in parentheses may hold spaces and parentheses.
    const size_t close = statLine.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(statLine.substr(close + 1));
    std::string state, parent, group, session;
    long long tty = 0;
    if (!(fields >> state >> parent >> group >> session >> tty) || tty <= 0)
        return 0;
    return static_cast<unsigned long>(tty);
}

bool AllDigits(const char* name)
{
    if (!*name)
        return false;
    for (; *name; ++name)
        if (!std::isdigit(static_cast<unsigned char>(*name)))
            return false;
    return true;
}
}  // namespace

bool CTerminalUse::IsConsole(const SerialPortInfo& port, const std::string& sysfsRoot)
{
    if (port.kernelName.empty())
        return false;
    // "tty0 ttyS0": every console the kernel writes to, the last one also
    // being /dev/console.
    std::istringstream names(CSysfsText::Read(std::filesystem::path(sysfsRoot) / "class/tty/console/active"));
    for (std::string name; names >> name;)
        if (name == port.kernelName)
            return true;
    return false;
}

bool CTerminalUse::IsControllingTerminal(const std::string& devicePath, const std::string& procRoot)
{
    struct stat node {};
    if (devicePath.empty() || stat(devicePath.c_str(), &node) != 0 || !S_ISCHR(node.st_mode))
        return false;
    DIR* processes = opendir(procRoot.c_str());
    if (!processes)
        return false;
    bool found = false;
    while (const dirent* entry = readdir(processes)) {
        if (!AllDigits(entry->d_name))
            continue;
        const auto line = CSmallFile::Read(procRoot + "/" + entry->d_name + "/stat", 4096);
        const unsigned long tty = line ? TerminalOf(*line) : 0;
        // The kernel's encoding: minor in bits 0-7 and 20-31, major in 8-19.
        if (tty != 0 && ((tty >> 8) & 0xfff) == major(node.st_rdev) &&
            ((tty & 0xff) | ((tty >> 12) & 0xfff00)) == minor(node.st_rdev)) {
            found = true;
            break;
        }
    }
    closedir(processes);
    return found;
}
