#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

// Builds what goes out over a Telnet connection: data with every IAC
// doubled, option negotiations, and COM-PORT-OPTION commands.
namespace telnet_out {
void AppendData(std::vector<uint8_t>& out, const uint8_t* data, size_t n);
std::vector<uint8_t> Negotiation(uint8_t verb, uint8_t option);
// IAC SB COM-PORT-OPTION command value IAC SE, the value's IACs doubled.
std::vector<uint8_t> ComPortCommand(uint8_t command, std::initializer_list<uint8_t> value);
// A four-byte value in network byte order.
std::vector<uint8_t> ComPortCommand32(uint8_t command, uint32_t value);
}  // namespace telnet_out
