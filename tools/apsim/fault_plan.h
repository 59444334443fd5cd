#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "tools/apsim/ap_command.h"

// Misbehaviour of the access point on the line. Faults change only what goes
// back to the host; the device still carries out what it was asked.
struct FaultPlan {
    // Scope. Without onCommand every exchange is affected, else only that
    // command's. onExchange picks the n-th one (from 1) of those in scope:
    // the n-th exchange overall, or with onCommand the n-th of that command.
    std::optional<ApCommand> onCommand;
    std::optional<size_t> onExchange;

    // Pacing: a pause before every reply byte, and/or the line rate of
    // 115200 baud at 11 bits a byte.
    int delayMsPerByte = 0;
    bool throttle = false;
    // "NG\n" in place of the whole reply; for the identification an answer
    // that is not the expected one.
    bool wrongAck = false;
    // No reply at all.
    bool silent = false;
    // Only the first k bytes of the reply.
    std::optional<size_t> cutAfter;
    // This many bytes of noise before the reply.
    size_t garbageBytes = 0;
    // The name reply's name and line feed replaced by these bytes as they are.
    std::optional<std::string> rawName;
    // The line hangs up (the pty master closes) after k bytes of this
    // exchange's output, or after all of it when there are fewer.
    std::optional<size_t> hangupAfter;

    // Whether the plan covers the exchangeNumber-th exchange overall, which
    // is the commandNumber-th of its command.
    bool Covers(ApCommand command, size_t exchangeNumber, size_t commandNumber) const;
};
