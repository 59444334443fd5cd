#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What a Telnet peer said besides data: an option's negotiation
// (WILL/WONT/DO/DONT and the option) or a subnegotiation (SB, the option
// and its payload with doubled IACs undone).
struct TelnetCommand {
    uint8_t verb = 0;
    uint8_t option = 0;
    std::vector<uint8_t> payload;
};

// Splits a received Telnet stream into data and commands. The state
// carries over between calls, so a command or a doubled IAC split across
// two reads comes out whole.
class CTelnetReceiver {
public:
    // A subnegotiation longer than this is a broken stream: the rest of it
    // is dropped, not kept.
    static constexpr size_t kMaxPayload = 64;

    // Appends the data bytes of in to data and the commands to commands.
    void Feed(const uint8_t* in, size_t n, std::vector<uint8_t>& data, std::vector<TelnetCommand>& commands);

private:
    enum class EState { Data, Iac, Option, Sub, SubIac };
    EState m_state = EState::Data;
    TelnetCommand m_command;
};
