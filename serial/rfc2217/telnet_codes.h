#pragma once

#include <cstdint>

// Telnet's command bytes and the options a network port uses, with the
// COM-PORT-OPTION's commands as the client sends them; the server answers
// each with the same command plus kServerOffset.
namespace telnet {
inline constexpr uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250, kSe = 240;
inline constexpr uint8_t kBinary = 0, kSga = 3, kComPortOption = 44;
}  // namespace telnet

namespace comport {
inline constexpr uint8_t kSetBaudRate = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4, kSetControl = 5,
                         kNotifyModemState = 7, kSetModemStateMask = 11, kPurgeData = 12;
inline constexpr uint8_t kServerOffset = 100;
inline constexpr uint8_t kParityNone = 1, kParityOdd = 2, kParityEven = 3;
inline constexpr uint8_t kStopSize1 = 1, kStopSize2 = 2;
inline constexpr uint8_t kControlNone = 1, kControlHardware = 3, kDtrOn = 8, kRtsOn = 11;
inline constexpr uint8_t kPurgeReceive = 1, kPurgeTransmit = 2, kPurgeBoth = 3;
// The modem state's CTS bit; the other line bits match MS_*_ON too.
inline constexpr uint8_t kModemCts = 0x10;
}  // namespace comport
