#include "protocol/line_settings.h"

void ApplyAccessPointLineSettings(DCB& settings)
{
    settings.BaudRate = 115200;
    settings.ByteSize = 8;
    settings.Parity = EVENPARITY;
    settings.StopBits = ONESTOPBIT;
    // fOutxDsrFlow, fOutX, fInX and the high bits of fDtrControl and
    // fRtsControl off; fParity, fOutxCtsFlow and the enable values of
    // fDtrControl and fRtsControl on.
    constexpr uint32_t kCleared = (1u << 3) | (1u << 5) | (1u << 8) | (1u << 9) | (1u << 13);
    constexpr uint32_t kSet = 0x1016;
    // The protocol is binary (addresses, link keys, counts): a port left by
    // another program dropping 0x00 bytes (fNull), replacing bytes of a
    // parity error (fErrorChar), stopping all I/O after a line error until
    // it is cleared (fAbortOnError) or ignoring bytes while DSR is off
    // (fDsrSensitivity) would lose or change reply bytes; and binary mode is
    // the only one the system supports.
    constexpr uint32_t kBinaryCleared = DCB::fDsrSensitivity | DCB::fErrorChar | DCB::fNull | DCB::fAbortOnError;
    settings.Flags = (settings.Flags & ~(kCleared | kBinaryCleared)) | kSet | DCB::fBinary;
}

DCB AccessPointLineSettings()
{
    DCB settings;
    ApplyAccessPointLineSettings(settings);
    return settings;
}
