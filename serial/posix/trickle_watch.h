#pragma once

#include <chrono>
#include <cstddef>

// Tells whether received bytes trickle in slowly, a few at a time (a reply
// paced by the line), so that the tty driver may let them gather before it
// wakes the worker: one wake-up per few dozen bytes instead of one a byte.
// The first block after a request is never called a trickle, so a reply
// that comes at once is not held up, and neither is its first byte.
class CTrickleWatch {
public:
    using Clock = std::chrono::steady_clock;
    // A block whose bytes came slower than this each trickled in: a byte
    // takes 95 us at 115200 baud, a pty delivers many per microsecond.
    static constexpr Clock::duration kSlowByte = std::chrono::microseconds(20);
    // A pause this long ends a trickle: what comes next is news.
    static constexpr Clock::duration kPause = std::chrono::milliseconds(10);

    // A block of received bytes was taken from the tty.
    void BlockRead(size_t bytes, Clock::time_point at);
    // A request went out: its reply is a new stream.
    void Wrote();
    void Reset() { Wrote(); }
    // Bytes that come now belong to a trickle.
    bool Trickling(Clock::time_point now) const;

private:
    bool m_bBlockSinceWrite = false;
    bool m_bSlow = false;
    Clock::time_point m_lastBlock{};
};
