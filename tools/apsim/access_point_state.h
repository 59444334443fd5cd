#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "protocol/link_record.h"

// A listing's count field says at most this many.
inline constexpr size_t kMaxPairedDevices = 65535;

// What the access point holds: its paired devices, its name as stored
// (UTF-8 bytes) and its PIN text.
struct AccessPointState {
    std::vector<LinkRecord> devices;
    std::string name = "apsim";
    std::string pin = "0000";
};

// The index-th generated device; its key is distinct for every index, its
// address for every index up to kMaxPairedDevices.
LinkRecord GeneratedDevice(size_t index);

// `count` devices with distinct addresses and distinct link keys, the same
// ones on every call. Throws std::length_error above kMaxPairedDevices.
std::vector<LinkRecord> GenerateDevices(size_t count);

// Pairs a device: a held address gets the new key, another is appended.
// Throws std::length_error when kMaxPairedDevices are held already.
void AddDevice(AccessPointState& state, const LinkRecord& device);

// "key value" lines: name, name_hex, pin, devices (the count), then one
// "device <address hex> <key hex>" line per device in order.
std::string FormatStateText(const AccessPointState& state);
