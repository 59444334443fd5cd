#pragma once

#include <cstddef>
#include <optional>
#include <string>

// What one exchange puts on the line and how: the bytes with every fault
// already applied, their pacing and whether the line hangs up.
struct ReplyPlan {
    std::string bytes;
    int delayMsPerByte = 0;
    bool throttle = false;
    std::optional<size_t> hangupAfter;
};
