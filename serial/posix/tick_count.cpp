#include "serial/tick_count.h"

#include <chrono>

// The monotonic clock, not the wall clock: set-time and NTP steps never move it.
uint32_t CTickCount::MonotonicMs()
{
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}
