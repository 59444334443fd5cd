#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string_view>

#include "tools/apsim/reply_plan.h"

// Orders reply bytes onto the line: unpaced replies are due at once, paced
// ones byte by byte at absolute deadlines from the reply's start, so a late
// wake-up is caught up rather than shifting every later byte. No I/O: the
// caller passes the time and says how much it wrote.
class CReplySchedule {
public:
    using Clock = std::chrono::steady_clock;
    // One byte of 11 bits at 115200 baud, in nanoseconds (about 95.5 us).
    static constexpr long long kByteNanosNumerator = 11'000'000'000LL;
    static constexpr long long kBaud = 115200;

    void Push(ReplyPlan plan, Clock::time_point now);
    bool Empty() const { return m_queue.empty(); }
    // The bytes that may be written at `now`: a run of the oldest reply.
    std::string_view Due(Clock::time_point now) const;
    // `count` bytes of what Due offered went on the line.
    void Consume(size_t count, Clock::time_point now);
    // When the next byte of a paced reply falls due; nullopt when nothing
    // waits for time (empty, unpaced, or hanging up).
    std::optional<Clock::time_point> NextDeadline() const;
    // The oldest reply has sent all it may and asks the line to hang up.
    bool HangupDue() const;

    // The deadline of byte `index` of a reply started at `start`.
    static Clock::time_point ByteDeadline(const ReplyPlan& plan, Clock::time_point start, size_t index);

private:
    struct Entry {
        ReplyPlan plan;
        Clock::time_point start;
        size_t sent = 0;
    };
    size_t Limit(const Entry& entry) const;

    std::deque<Entry> m_queue;
};
