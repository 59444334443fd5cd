#include "serial/rfc2217/telnet_sender.h"

#include "serial/rfc2217/telnet_codes.h"

namespace telnet_out {
void AppendData(std::vector<uint8_t>& out, const uint8_t* data, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (data[i] == telnet::kIac)
            out.push_back(telnet::kIac);
        out.push_back(data[i]);
    }
}

std::vector<uint8_t> Negotiation(uint8_t verb, uint8_t option)
{
    return {telnet::kIac, verb, option};
}

namespace {
std::vector<uint8_t> Framed(uint8_t command, const uint8_t* value, size_t n)
{
    std::vector<uint8_t> out{telnet::kIac, telnet::kSb, telnet::kComPortOption, command};
    AppendData(out, value, n);
    out.push_back(telnet::kIac);
    out.push_back(telnet::kSe);
    return out;
}
}  // namespace

std::vector<uint8_t> ComPortCommand(uint8_t command, std::initializer_list<uint8_t> value)
{
    return Framed(command, value.begin(), value.size());
}

std::vector<uint8_t> ComPortCommand32(uint8_t command, uint32_t value)
{
    const uint8_t bytes[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)};
    return Framed(command, bytes, sizeof bytes);
}
}  // namespace telnet_out
