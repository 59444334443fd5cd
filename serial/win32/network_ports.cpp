#include "serial/network_ports.h"

#include <windows.h>

#include <algorithm>

#include "serial/rfc2217/network_port_address.h"
#include "serial/system_error_text.h"
#include "serial/wide_text.h"
#include "serial/win32/com_port_list.h"
#include "serial/win32/registry_values.h"

// Kept as the current user's: one value a port, named "COM<n>", holding its
// address. Writing needs no administrator, and no device of Windows' own is
// touched.
namespace {
constexpr const wchar_t* kKey = L"Software\\apconfig\\Network ports";

std::string ComNameOf(int number)
{
    return "COM" + std::to_string(number);
}

// An open port dialog lists the change at once.
CNetworkPorts::Result Announced(CNetworkPorts::Result result)
{
    if (result.change == CNetworkPorts::EChange::Done)
        ::PostMessageW(HWND_BROADCAST, ::RegisterWindowMessageW(Utf8ToUtf16(CNetworkPorts::kChangedMessage).c_str()), 0,
                       0);
    return result;
}
}  // namespace

std::vector<NetworkPortEntry> CNetworkPorts::List()
{
    std::vector<NetworkPortEntry> ports;
    for (const auto& [name, address] : ReadStringValues(HKEY_CURRENT_USER, kKey)) {
        const int number = ParseComPortName(name);
        const bool known = std::any_of(ports.begin(), ports.end(),
                                       [number](const NetworkPortEntry& port) { return port.number == number; });
        if (number != 0 && !known && NetworkPortAddress::Parse(address))
            ports.push_back({number, address});
    }
    std::sort(ports.begin(), ports.end(),
              [](const NetworkPortEntry& a, const NetworkPortEntry& b) { return a.number < b.number; });
    return ports;
}

CNetworkPorts::Result CNetworkPorts::Add(int number, const std::string& address)
{
    for (const ComPortEntry& port : ListComPorts())
        if (port.number == number)
            return {EChange::SystemNumber, port.friendlyName.empty() ? port.device : port.friendlyName};
    // Kept for a device that is not plugged in now, or for a virtual COM
    // driver's port.
    if (ReservedComNumbers().count(number))
        return {EChange::SystemNumber, {}};
    for (const NetworkPortEntry& port : List()) {
        if (port.number == number)
            return port.address == address ? Result{EChange::Unchanged, {}} : Result{EChange::NumberTaken, port.address};
        if (port.address == address)
            return {EChange::AddressTaken, ComNameOf(port.number)};
    }
    const std::wstring text = Utf8ToUtf16(address);
    const LSTATUS status = ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, Utf8ToUtf16(ComNameOf(number)).c_str(), REG_SZ,
                                             text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS)
        return {EChange::NotSaved, SystemErrorText(status)};
    return Announced({EChange::Done, {}});
}

CNetworkPorts::Result CNetworkPorts::Remove(int number)
{
    const LSTATUS status = ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, Utf8ToUtf16(ComNameOf(number)).c_str());
    if (status == ERROR_FILE_NOT_FOUND)
        return {EChange::NotThere, {}};
    if (status != ERROR_SUCCESS)
        return {EChange::NotSaved, SystemErrorText(status)};
    return Announced({EChange::Done, {}});
}
