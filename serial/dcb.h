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

    // Bits of Flags.
    static constexpr uint32_t fBinary = 1u << 0;
    static constexpr uint32_t fParity = 1u << 1;
    static constexpr uint32_t fOutxCtsFlow = 1u << 2;
    static constexpr uint32_t fOutxDsrFlow = 1u << 3;
    static constexpr uint32_t fDtrControlMask = 3u << 4;
    static constexpr uint32_t fDsrSensitivity = 1u << 6;
    static constexpr uint32_t fTXContinueOnXoff = 1u << 7;
    static constexpr uint32_t fOutX = 1u << 8;
    static constexpr uint32_t fInX = 1u << 9;
    static constexpr uint32_t fErrorChar = 1u << 10;
    static constexpr uint32_t fNull = 1u << 11;
    static constexpr uint32_t fRtsControlMask = 3u << 12;
    static constexpr uint32_t fAbortOnError = 1u << 14;

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
