#include "bench/expected_replies.h"

#include <algorithm>
#include <cstring>

#include "tools/apsim/access_point_state.h"

uint64_t Fnv1a64(std::string_view bytes)
{
    uint64_t hash = 0xCBF29CE484222325ULL;
    for (unsigned char byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001B3ULL;
    }
    return hash;
}

std::string ListingPayload(size_t count)
{
    const std::vector<LinkRecord> devices = GenerateDevices(count);
    std::string payload;
    payload += static_cast<char>(count & 0xFF);
    payload += static_cast<char>((count >> 8) & 0xFF);
    payload.append(reinterpret_cast<const char*>(devices.data()), devices.size() * sizeof(LinkRecord));
    return payload;
}

std::optional<size_t> FirstWrongRecord(const std::vector<LinkRecord>& records, size_t count)
{
    const size_t common = std::min(records.size(), count);
    for (size_t i = 0; i < common; ++i) {
        const LinkRecord expected = GeneratedDevice(i);
        if (std::memcmp(&records[i], &expected, sizeof expected) != 0)
            return i;
    }
    if (records.size() != count)
        return common;
    return std::nullopt;
}
