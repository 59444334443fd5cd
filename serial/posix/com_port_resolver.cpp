#include "serial/posix/com_port_resolver.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <memory>
#include <mutex>

#include "serial/posix/serial_port_discovery.h"
#include "serial/posix/udev_hardware_names.h"

namespace {
struct ResolverState {
    std::mutex lock;
    std::string folder = "/dev";
    std::string sysfs = "/sys";
    std::string locks = "/var/lock";
    std::string proc = "/proc";
    CComPortNumbers numbers;
    bool ownNames = true;
    const IHardwareNames* names = nullptr;
    // Devices named by their paths, from COM21 on.
    std::vector<std::string> byPath;
};

ResolverState& State()
{
    static ResolverState state;
    return state;
}

const IHardwareNames* Names(ResolverState& state)
{
    static std::unique_ptr<CUdevHardwareNames> machine;
    if (state.ownNames && !machine)
        machine = std::make_unique<CUdevHardwareNames>();
    return state.ownNames ? machine.get() : state.names;
}

int ComNumber(const std::string& comName)
{
    int number = 0;
    const char* digits = comName.c_str() + 3;
    const char* end = comName.c_str() + comName.size();
    if (comName.size() <= 3 || comName.compare(0, 3, "COM") != 0 ||
        std::from_chars(digits, end, number).ptr != end || number < 1)
        return 0;
    return number;
}

NumberedPorts ListLocked(ResolverState& state)
{
    CSerialPortDiscovery discovery(state.sysfs, state.folder, Names(state));
    return state.numbers.Assign(discovery.List());
}

// What use(state) gives, with the state locked meanwhile.
template <typename Use>
auto Locked(Use use)
{
    ResolverState& state = State();
    std::lock_guard guard(state.lock);
    return use(state);
}
}  // namespace

std::string CComPortResolver::DevicePath(const std::string& comName)
{
    const int number = ComNumber(comName);
    if (number == 0)
        return {};
    ResolverState& state = State();
    std::lock_guard guard(state.lock);
    const size_t pathIndex = static_cast<size_t>(number - CComPortNumbers::kLast - 1);
    if (number > CComPortNumbers::kLast && pathIndex < state.byPath.size())
        return state.byPath[pathIndex];
    for (const NumberedPort& port : ListLocked(state).ports)
        if (port.number == number)
            return port.info.OpenPath();
    std::string link = state.folder + "/com" + std::to_string(number);
    std::error_code error;
    if (CComPortNumbers::kFirst <= number && number <= CComPortNumbers::kLast)
        return {};  // nothing listed under that number in this run
    return std::filesystem::exists(link, error) ? link : std::string();
}

int CComPortResolver::NumberForPath(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path device = std::filesystem::canonical(path, error);
    if (error)
        return 0;
    ResolverState& state = State();
    std::lock_guard guard(state.lock);
    for (const NumberedPort& port : ListLocked(state).ports) {
        std::error_code unresolved;
        if (std::filesystem::canonical(port.info.OpenPath(), unresolved) == device && !unresolved)
            return port.number;
    }
    auto known = std::find(state.byPath.begin(), state.byPath.end(), path);
    if (known == state.byPath.end())
        known = state.byPath.insert(known, path);
    return CComPortNumbers::kLast + 1 + static_cast<int>(known - state.byPath.begin());
}

NumberedPorts CComPortResolver::ListPorts()
{
    return Locked(ListLocked);
}

std::vector<NumberedPort> CComPortResolver::FixedPorts()
{
    return Locked([](ResolverState& state) {
        return CComPortNumbers::Fixed(CSerialPortDiscovery(state.sysfs, state.folder, Names(state)).List());
    });
}

void CComPortResolver::SetDeviceFolder(std::string folder)
{
    Locked([&](ResolverState& state) {
        state.folder = std::move(folder);
        state.numbers = CComPortNumbers();
        state.byPath.clear();
    });
}

const std::string& CComPortResolver::DeviceFolder()
{
    return State().folder;
}

void CComPortResolver::SetSysfsRoot(std::string root)
{
    Locked([&](ResolverState& state) {
        state.sysfs = std::move(root);
        state.numbers = CComPortNumbers();
    });
}

const std::string& CComPortResolver::SysfsRoot()
{
    return State().sysfs;
}

void CComPortResolver::SetHardwareNames(const IHardwareNames* names)
{
    Locked([&](ResolverState& state) {
        state.ownNames = false;
        state.names = names;
    });
}

void CComPortResolver::SetLockFolder(std::string folder)
{
    Locked([&](ResolverState& state) { state.locks = std::move(folder); });
}

const std::string& CComPortResolver::LockFolder()
{
    return State().locks;
}

void CComPortResolver::SetProcRoot(std::string root)
{
    Locked([&](ResolverState& state) { state.proc = std::move(root); });
}

const std::string& CComPortResolver::ProcRoot()
{
    return State().proc;
}

CComNumberStore::Table CComPortResolver::KeptNumbers()
{
    return Locked([](ResolverState& state) { return state.numbers.Kept(); });
}

CComNumberStore::Table CComPortResolver::UpdateNumbers(const std::function<bool(CComNumberStore::Table&)>& change,
                                                       bool& saved)
{
    return Locked([&](ResolverState& state) { return state.numbers.Update(change, saved); });
}
