#pragma once

#include <string>

#include "tools/apsim/ap_command.h"

// One request as the access point received it: the command and every byte
// that followed it as its payload (line feeds included). An unknown line is
// kept whole as the payload of an Unknown record.
struct ExchangeRecord {
    ApCommand command = ApCommand::Unknown;
    std::string payload;
};

// "<NAME>" or "<NAME> <payload in hex>", without a line feed.
std::string FormatRecordLine(const ExchangeRecord& record);
