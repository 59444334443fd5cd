#pragma once

#include <cstdint>
#include <functional>

// The millisecond tick counter the port engine times replies with: the
// system tick count (GetTickCount), which wraps after 49.7 days. Tests may
// put another source in its place.
class CTickCount {
public:
    static uint32_t Now();
    // An empty source restores the monotonic clock.
    static void SetSource(std::function<uint32_t()> source);
    static uint32_t MonotonicMs();
};
