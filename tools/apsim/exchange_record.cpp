#include "tools/apsim/exchange_record.h"

#include "tools/apsim/hex.h"

std::string FormatRecordLine(const ExchangeRecord& record)
{
    std::string line(CommandName(record.command));
    if (!record.payload.empty())
        line += ' ' + ToHex(record.payload);
    return line;
}
