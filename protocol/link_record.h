#pragma once

#include <string>

#include "protocol/commands.h"

// One paired device, exactly the 22 bytes the access point sent for it.
struct LinkRecord {
    unsigned char address[kAddressBytes];
    unsigned char linkKey[kLinkKeyBytes];
};
static_assert(sizeof(LinkRecord) == kAddressBytes + kLinkKeyBytes, "LinkRecord must stay 22 bytes");

// The address as the user sees it: "%02X:%02X:%02X:%02X:%02X:%02X" over the
// address bytes 4, 5, 3, 0, 1, 2. The stored bytes are never reordered.
std::string FormatLinkAddress(const LinkRecord& record);
