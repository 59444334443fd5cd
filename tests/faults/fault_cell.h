#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/apsim/fault_plan.h"

// What the access point does wrong.
enum class EFault {
    WrongReply,       // "NG\n", or a wrong identification answer
    Silence,          // no reply at all
    CutShort,         // the reply stops after a few bytes
    GarbageFlood,     // 5000 bytes of noise before the reply
    InvalidUtf8Name,  // a name that does not decode
    LongName,         // a name of 250 bytes
    HangUp,           // the line hangs up part-way through the reply
    GoneBeforeExit,   // the line hangs up after the last reply before "EXIT\n"
    // More than a ring of bytes nobody reads, then the adapter is pulled out
    // and its driver's bytes are lost with it.
    UnplugAfterFlood,
};

// The exchange it does it in.
enum class EExchange { Identification, Listing, Deletion, NameRead, NameChange, PinChange, End };

// The line once the failure has been shown, as the next exchange finds it.
enum class ELineAfter {
    Clean,     // nothing of the bad reply is left: the next exchange works
    TailLeft,  // its unread rest waits in the receive ring: the next one fails
    Gone,      // the device has hung up: the next exchange fails at once
    Closed,    // the program has ended and closed the port
};

// In a cell's messages: the box that names the port and says it is gone
// (its text is composed, so it has no string number of its own).
inline constexpr int kPortGoneBox = -1;

// One cell of the fault matrix and what the user must see in it.
struct FaultCell {
    EFault fault;
    EExchange exchange;
    // The string numbers of the message boxes, in order (confirmations too).
    std::vector<int> messages;
    ELineAfter line;
    // Tells cells of the same fault and exchange apart.
    std::string variant;
    // For the name faults: the name bytes of the reply, line feed included.
    std::string rawName;
    // Says more about the line than its state does; may be empty.
    std::string lineNote;
};

inline constexpr size_t kGarbageFloodBytes = 5000;
// More than the ring and the driver's queue hold together.
inline constexpr size_t kUnplugFloodBytes = 12000;

const char* FaultName(EFault fault);
const char* ExchangeName(EExchange exchange);
// The command that carries the exchange.
ApCommand CommandOf(EExchange exchange);
// Identification and end are held by start-up; the rest by the pages.
bool IsStartupExchange(EExchange exchange);
// Where CutShort and HangUp stop the reply of an exchange: part-way through.
size_t CutPoint(EExchange exchange);
// The device's misbehaviour for the cell, aimed at the first exchange of
// its command (GoneBeforeExit at the last exchange before the end).
FaultPlan PlanFor(const FaultCell& cell);
// "<Fault>" or "<Fault>_<variant>": the cell's name among its exchange's.
std::string CellName(const FaultCell& cell);

void PrintTo(const FaultCell& cell, std::ostream* os);
