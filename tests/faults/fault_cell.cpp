#include "tests/faults/fault_cell.h"

#include <limits>

#include "protocol/commands.h"
#include "protocol/link_record.h"

const char* FaultName(EFault fault)
{
    switch (fault) {
    case EFault::WrongReply: return "WrongReply";
    case EFault::Silence: return "Silence";
    case EFault::CutShort: return "CutShort";
    case EFault::GarbageFlood: return "GarbageFlood";
    case EFault::InvalidUtf8Name: return "InvalidUtf8Name";
    case EFault::LongName: return "LongName";
    case EFault::HangUp: return "HangUp";
    case EFault::GoneBeforeExit: return "GoneBeforeExit";
    case EFault::UnplugAfterFlood: return "UnplugAfterFlood";
    }
    return "?";
}

const char* ExchangeName(EExchange exchange)
{
    switch (exchange) {
    case EExchange::Identification: return "Identification";
    case EExchange::Listing: return "Listing";
    case EExchange::Deletion: return "Deletion";
    case EExchange::NameRead: return "NameRead";
    case EExchange::NameChange: return "NameChange";
    case EExchange::PinChange: return "PinChange";
    case EExchange::End: return "End";
    }
    return "?";
}

ApCommand CommandOf(EExchange exchange)
{
    switch (exchange) {
    case EExchange::Identification: return ApCommand::Identify;
    case EExchange::Listing: return ApCommand::LinkRead;
    case EExchange::Deletion: return ApCommand::LinkDelete;
    case EExchange::NameRead: return ApCommand::NameRead;
    case EExchange::NameChange: return ApCommand::NameUpdate;
    case EExchange::PinChange: return ApCommand::PinUpdate;
    case EExchange::End: return ApCommand::Exit;
    }
    return ApCommand::Unknown;
}

bool IsStartupExchange(EExchange exchange)
{
    return exchange == EExchange::Identification || exchange == EExchange::End;
}

size_t CutPoint(EExchange exchange)
{
    switch (exchange) {
    case EExchange::Identification: return 10;
    // Inside the second record.
    case EExchange::Listing: return 3 + kCountBytes + sizeof(LinkRecord) + 10;
    // Inside the name, after its acknowledgement.
    case EExchange::NameRead: return 3 + 2;
    case EExchange::End: return 1;
    default: return 2;  // "OK" without its line feed
    }
}

FaultPlan PlanFor(const FaultCell& cell)
{
    FaultPlan plan;
    plan.onCommand = CommandOf(cell.exchange);
    plan.onExchange = 1;
    switch (cell.fault) {
    case EFault::WrongReply: plan.wrongAck = true; break;
    case EFault::Silence: plan.silent = true; break;
    case EFault::CutShort: plan.cutAfter = CutPoint(cell.exchange); break;
    case EFault::GarbageFlood: plan.garbageBytes = kGarbageFloodBytes; break;
    case EFault::InvalidUtf8Name:
    case EFault::LongName: plan.rawName = cell.rawName; break;
    case EFault::HangUp: plan.hangupAfter = CutPoint(cell.exchange); break;
    case EFault::GoneBeforeExit:
        // The listing at the first showing is the last reply before the end.
        plan.onCommand = ApCommand::LinkRead;
        plan.hangupAfter = std::numeric_limits<size_t>::max();
        break;
    case EFault::UnplugAfterFlood:
        // The flood answers a request made before the listing, which nobody
        // reads; the adapter is pulled out before the listing is sent.
        plan.onCommand = ApCommand::NameRead;
        plan.garbageBytes = kUnplugFloodBytes;
        break;
    }
    return plan;
}

std::string CellName(const FaultCell& cell)
{
    std::string name = FaultName(cell.fault);
    if (!cell.variant.empty())
        name += "_" + cell.variant;
    return name;
}

void PrintTo(const FaultCell& cell, std::ostream* os)
{
    *os << ExchangeName(cell.exchange) << "/" << CellName(cell);
}
