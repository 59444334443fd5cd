#pragma once

#include <cstdint>
#include <functional>

// What the user-interface thread does while the engine waits for the access
// point: it paints what needs painting and, by looking at its queue, takes
// the messages other threads and the system send it, so a reply that takes
// seconds neither freezes the window nor gets it marked "(Not Responding)".
// Keyboard and mouse input, and everything else posted, stay queued for the
// window's own loop after the wait: no handler of the user's runs inside an
// exchange.
class CWaitMessagePump {
public:
    // A pass at most this often: the engine calls between sleeps of a few
    // milliseconds.
    static constexpr uint32_t kIntervalMs = 50;

    // Makes Run the engine's hook for this process.
    static void Install();
    // A pass when kIntervalMs have gone by since the last one.
    static void Run();
    // One pass now.
    static void Pump();
    // Tests give the millisecond clock; null goes back to the tick count.
    static void SetClock(std::function<uint32_t()> clock);
};
