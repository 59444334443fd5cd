#include "serial/win32/com_port_list.h"

#include <windows.h>
// clang-format off
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <algorithm>
#include <map>

#include "serial/wide_text.h"
#include "serial/win32/registry_values.h"

namespace {
std::string& TestKey()
{
    static std::string path;
    return path;
}

std::string& ArbiterTestKey()
{
    static std::string path;
    return path;
}

// Device name to COM name, as SERIALCOMM lists them.
std::vector<std::pair<std::string, std::string>> SerialComm()
{
    const bool test = !TestKey().empty();
    return ReadStringValues(test ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                            test ? Utf8ToUtf16(TestKey()) : L"HARDWARE\\DEVICEMAP\\SERIALCOMM");
}

// COM name to the friendly name of its device, for the ports class's
// devices that are present.
std::map<std::string, std::string> FriendlyNames()
{
    std::map<std::string, std::string> names;
    const HDEVINFO devices = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE)
        return names;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(devices, i, &device); ++i) {
        const HKEY key = ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        std::vector<wchar_t> data(64);
        DWORD bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        DWORD type = 0;
        const bool named = ::RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                              &bytes) == ERROR_SUCCESS &&
                           type == REG_SZ;
        ::RegCloseKey(key);
        if (!named)
            continue;
        const std::string port = RegistryText(data, bytes);
        std::vector<wchar_t> friendly(256);
        DWORD size = 0;
        if (!::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, &type,
                                                 reinterpret_cast<BYTE*>(friendly.data()),
                                                 static_cast<DWORD>(friendly.size() * sizeof(wchar_t)), &size)) {
            if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
                continue;
            friendly.resize(size / sizeof(wchar_t) + 1);
            if (!::SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_FRIENDLYNAME, &type,
                                                     reinterpret_cast<BYTE*>(friendly.data()),
                                                     static_cast<DWORD>(friendly.size() * sizeof(wchar_t)), &size))
                continue;
        }
        if (type == REG_SZ)
            names.emplace(port, RegistryText(friendly, size));
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    return names;
}
}  // namespace

int ParseComPortName(const std::string& name)
{
    if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, "COM") != 0 || name[3] == '0')
        return 0;
    int number = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number <= 255 ? number : 0;
}

std::vector<ComPortEntry> ListComPorts()
{
    std::vector<ComPortEntry> ports;
    for (auto& [device, name] : SerialComm()) {
        const int number = ParseComPortName(name);
        if (number != 0)
            ports.push_back({number, name, {}, device});
    }
    // Ordered by number; the first listed of two that share one keeps it.
    std::stable_sort(ports.begin(), ports.end(),
                     [](const ComPortEntry& a, const ComPortEntry& b) { return a.number < b.number; });
    ports.erase(std::unique(ports.begin(), ports.end(),
                            [](const ComPortEntry& a, const ComPortEntry& b) { return a.number == b.number; }),
                ports.end());
    if (ports.empty())
        return ports;
    const auto friendly = FriendlyNames();
    for (ComPortEntry& port : ports)
        if (auto found = friendly.find(port.name); found != friendly.end())
            port.friendlyName = found->second;
    return ports;
}

void SetComPortListKey(const std::string& currentUserPath)
{
    TestKey() = currentUserPath;
}

std::set<int> ReservedComNumbers()
{
    const bool test = !ArbiterTestKey().empty();
    const auto bits = ReadBinaryValue(test ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                                      test ? Utf8ToUtf16(ArbiterTestKey())
                                           : L"SYSTEM\\CurrentControlSet\\Control\\COM Name Arbiter",
                                      L"ComDB");
    std::set<int> numbers;
    if (bits)
        for (size_t byte = 0; byte < bits->size(); ++byte)
            for (int bit = 0; bit < 8; ++bit)
                if ((*bits)[byte] & (1u << bit))
                    numbers.insert(static_cast<int>(byte * 8) + bit + 1);
    return numbers;
}

void SetComNameArbiterKey(const std::string& currentUserPath)
{
    ArbiterTestKey() = currentUserPath;
}
