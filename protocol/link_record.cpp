#include "protocol/link_record.h"

#include <cstdio>

std::string FormatLinkAddress(const LinkRecord& record)
{
    const unsigned char* a = record.address;
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", a[4], a[5], a[3], a[0], a[1], a[2]);
    return text;
}
