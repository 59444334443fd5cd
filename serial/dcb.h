#pragma once

#include <cstdint>

// The line settings record handed to CSerialPort::Open. It keeps the layout of
// the classic device control block: the same fields and, in Flags, the same
// bit positions, so settings are changed with the same bit operations.
struct DCB {
    uint32_t DCBlength = sizeof(DCB);
    uint32_t BaudRate = 0;
    uint32_t Flags = 0;
    uint16_t wReserved = 0;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 0;
    uint8_t Parity = 0;
    uint8_t StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    uint16_t wReserved1 = 0;

    // Bits of Flags, by what they govern: binary mode and parity checking;
    static constexpr uint32_t fBinary = 1u << 0, fParity = 1u << 1;
    // output held while CTS or DSR is off, DTR (two bits), input taken only
    // while DSR is on;
    static constexpr uint32_t fOutxCtsFlow = 1u << 2, fOutxDsrFlow = 1u << 3, fDtrControlMask = 3u << 4,
                              fDsrSensitivity = 1u << 6;
    // XON/XOFF: sending on after an XOFF went out, on output, on input;
    static constexpr uint32_t fTXContinueOnXoff = 1u << 7, fOutX = 1u << 8, fInX = 1u << 9;
    // bytes with parity errors replaced, null bytes dropped, RTS (two bits),
    // everything stopped on an error.
    static constexpr uint32_t fErrorChar = 1u << 10, fNull = 1u << 11, fRtsControlMask = 3u << 12,
                              fAbortOnError = 1u << 14;

    bool Has(uint32_t bit) const { return (Flags & bit) != 0; }
    uint32_t DtrControl() const { return (Flags & fDtrControlMask) >> 4; }
    uint32_t RtsControl() const { return (Flags & fRtsControlMask) >> 12; }
};

inline constexpr uint8_t NOPARITY = 0;
inline constexpr uint8_t ODDPARITY = 1;
inline constexpr uint8_t EVENPARITY = 2;
inline constexpr uint8_t ONESTOPBIT = 0;
inline constexpr uint8_t TWOSTOPBITS = 2;
inline constexpr uint32_t DTR_CONTROL_ENABLE = 1;
inline constexpr uint32_t RTS_CONTROL_ENABLE = 1;
