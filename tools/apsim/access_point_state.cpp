#include "tools/apsim/access_point_state.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "tools/apsim/hex.h"

namespace {
// A bijection on 64 bits, so distinct indexes give distinct keys.
uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

void PutBytes(unsigned char* target, uint64_t value, int count)
{
    for (int i = 0; i < count; ++i)
        target[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::string_view Bytes(const unsigned char* data, size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}
}  // namespace

LinkRecord GeneratedDevice(size_t index)
{
    // A fixed vendor-like prefix and the index in the last bytes keep the
    // addresses distinct.
    static constexpr unsigned char kPrefix[] = {0x5A, 0x3C, 0x10, 0x00};
    LinkRecord device;
    std::memcpy(device.address, kPrefix, sizeof kPrefix);
    PutBytes(device.address + 4, index, 2);
    PutBytes(device.linkKey, Mix(2 * index), 8);
    PutBytes(device.linkKey + 8, Mix(2 * index + 1), 8);
    return device;
}

std::vector<LinkRecord> GenerateDevices(size_t count)
{
    if (count > kMaxPairedDevices)
        throw std::length_error("an access point holds at most 65535 paired devices");
    std::vector<LinkRecord> devices;
    devices.reserve(count);
    for (size_t i = 0; i < count; ++i)
        devices.push_back(GeneratedDevice(i));
    return devices;
}

void AddDevice(AccessPointState& state, const LinkRecord& device)
{
    auto held = std::ranges::find_if(state.devices, [&device](const LinkRecord& record) {
        return std::memcmp(record.address, device.address, kAddressBytes) == 0;
    });
    if (held != state.devices.end()) {
        *held = device;
        return;
    }
    if (state.devices.size() >= kMaxPairedDevices)
        throw std::length_error("an access point holds at most 65535 paired devices");
    state.devices.push_back(device);
}

std::string FormatStateText(const AccessPointState& state)
{
    std::string text = "name " + state.name + "\nname_hex " + ToHex(state.name) + "\npin " + state.pin +
                       "\ndevices " + std::to_string(state.devices.size()) + "\n";
    text.reserve(text.size() + state.devices.size() * 64);
    for (const LinkRecord& device : state.devices) {
        text += "device ";
        text += ToHex(Bytes(device.address, kAddressBytes));
        text += ' ';
        text += ToHex(Bytes(device.linkKey, kLinkKeyBytes));
        text += '\n';
    }
    return text;
}
