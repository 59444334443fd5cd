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
    settings.Flags = (settings.Flags & ~kCleared) | kSet;
}

DCB AccessPointLineSettings()
{
    DCB settings;
    ApplyAccessPointLineSettings(settings);
    return settings;
}
