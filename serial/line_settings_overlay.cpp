#include "serial/line_settings_overlay.h"

DCB OverlayLineSettings(const DCB& portOwn, const DCB& wanted)
{
    constexpr uint32_t kTaken = DCB::fParity | DCB::fOutxCtsFlow | DCB::fOutxDsrFlow | DCB::fDtrControlMask |
                                DCB::fOutX | DCB::fInX | DCB::fRtsControlMask;
    constexpr uint32_t kCleared = DCB::fNull | DCB::fDsrSensitivity | DCB::fAbortOnError | DCB::fErrorChar;
    DCB merged = portOwn;
    merged.DCBlength = sizeof(DCB);
    merged.BaudRate = wanted.BaudRate;
    merged.ByteSize = wanted.ByteSize;
    merged.Parity = wanted.Parity;
    merged.StopBits = wanted.StopBits;
    merged.Flags = (portOwn.Flags & ~kTaken) | (wanted.Flags & kTaken);
    merged.Flags = (merged.Flags | DCB::fBinary) & ~kCleared;
    if (merged.XonChar == merged.XoffChar) {
        merged.XonChar = 0x11;
        merged.XoffChar = 0x13;
    }
    return merged;
}
