#pragma once

#include <cstdint>

// Telnet's command bytes and the options a network port uses, with the
// COM-PORT-OPTION's commands as the client sends them; the server answers
// each with the same command plus kServerOffset.
namespace telnet {
inline constexpr uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
inline constexpr uint8_t BINARY = 0, SGA = 3, COM_PORT_OPTION = 44;
}  // namespace telnet

namespace comport {
inline constexpr uint8_t SET_BAUDRATE = 1, SET_DATASIZE = 2, SET_PARITY = 3, SET_STOPSIZE = 4, SET_CONTROL = 5,
                         NOTIFY_MODEMSTATE = 7, SET_MODEMSTATE_MASK = 11, PURGE_DATA = 12;
inline constexpr uint8_t kServerOffset = 100;
inline constexpr uint8_t PARITY_NONE = 1, PARITY_ODD = 2, PARITY_EVEN = 3;
inline constexpr uint8_t STOPSIZE_1 = 1, STOPSIZE_2 = 2;
inline constexpr uint8_t CONTROL_NONE = 1, CONTROL_HARDWARE = 3, DTR_ON = 8, RTS_ON = 11;
inline constexpr uint8_t PURGE_RECEIVE = 1, PURGE_TRANSMIT = 2, PURGE_BOTH = 3;
// The modem state's CTS bit; the other line bits match MS_*_ON too.
inline constexpr uint8_t MODEM_CTS = 0x10;
}  // namespace comport
