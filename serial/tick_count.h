#pragma once

#include <cstdint>
#include <functional>

// The millisecond tick counter the port engine times replies with: an
// unsigned 32-bit count (the monotonic clock; GetTickCount) that wraps like
// any tick counter. Tests may put another source in its place.
class CTickCount {
public:
    static uint32_t Now();
    // An empty source restores the monotonic clock.
    static void SetSource(std::function<uint32_t()> source);
    static uint32_t MonotonicMs();
};
