#include <gtest/gtest.h>

#include "tools/apsim/reply_schedule.h"

namespace {
using Clock = CReplySchedule::Clock;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

const Clock::time_point t0 = Clock::time_point() + std::chrono::hours(1);

ReplyPlan Plan(std::string bytes, int delayMs = 0, bool throttle = false, std::optional<size_t> hangup = {})
{
    return {std::move(bytes), delayMs, throttle, hangup};
}

TEST(ApsimSchedule, UnpacedReplyIsDueWholeAtOnce)
{
    CReplySchedule schedule;
    schedule.Push(Plan("OK\n"), t0);
    EXPECT_EQ(schedule.Due(t0), "OK\n");
    EXPECT_FALSE(schedule.NextDeadline());
    // A short write leaves the rest due.
    schedule.Consume(1, t0);
    EXPECT_EQ(schedule.Due(t0), "K\n");
    schedule.Consume(2, t0);
    EXPECT_TRUE(schedule.Empty());
}

TEST(ApsimSchedule, SilenceIsNeverQueued)
{
    CReplySchedule schedule;
    schedule.Push(Plan(""), t0);
    EXPECT_TRUE(schedule.Empty());
}

TEST(ApsimSchedule, ThrottleDeadlinesAreAbsoluteAndDoNotDrift)
{
    const ReplyPlan plan = Plan(std::string(2000, 'x'), 0, true);
    EXPECT_EQ(CReplySchedule::ByteDeadline(plan, t0, 0), t0);
    // 11 bits at 115200 baud: byte 1152 starts exactly 110 ms in.
    EXPECT_EQ(CReplySchedule::ByteDeadline(plan, t0, 1152), t0 + milliseconds(110));
    EXPECT_EQ(CReplySchedule::ByteDeadline(plan, t0, 1), t0 + nanoseconds(95486));

    CReplySchedule schedule;
    schedule.Push(plan, t0);
    EXPECT_EQ(schedule.Due(t0).size(), 1u);
    schedule.Consume(1, t0);
    EXPECT_EQ(schedule.NextDeadline(), t0 + nanoseconds(95486));
    // A late wake-up catches up on every byte that fell due meanwhile.
    const auto late = t0 + milliseconds(110);
    EXPECT_EQ(schedule.Due(late).size(), 1152u);
    schedule.Consume(1152, late);
    EXPECT_EQ(schedule.NextDeadline(), CReplySchedule::ByteDeadline(plan, t0, 1153));
}

TEST(ApsimSchedule, DelayPausesBeforeEveryByte)
{
    CReplySchedule schedule;
    schedule.Push(Plan("abc", 10), t0);
    EXPECT_EQ(schedule.Due(t0), "");
    EXPECT_EQ(schedule.NextDeadline(), t0 + milliseconds(10));
    EXPECT_EQ(schedule.Due(t0 + milliseconds(25)), "ab");
    schedule.Consume(2, t0 + milliseconds(25));
    EXPECT_EQ(schedule.NextDeadline(), t0 + milliseconds(30));
}

TEST(ApsimSchedule, NextReplyIsPacedFromWhenThePreviousEnded)
{
    CReplySchedule schedule;
    schedule.Push(Plan("ab", 10), t0);
    schedule.Push(Plan("c", 10), t0);
    schedule.Consume(schedule.Due(t0 + milliseconds(50)).size(), t0 + milliseconds(50));
    EXPECT_EQ(schedule.Due(t0 + milliseconds(55)), "");
    EXPECT_EQ(schedule.NextDeadline(), t0 + milliseconds(60));
}

TEST(ApsimSchedule, HangupComesAfterItsByteCountOrTheWholeReply)
{
    CReplySchedule schedule;
    schedule.Push(Plan("OK\nname\n", 0, false, 4), t0);
    schedule.Push(Plan("never"), t0);
    EXPECT_FALSE(schedule.HangupDue());
    EXPECT_EQ(schedule.Due(t0), "OK\nn");
    schedule.Consume(4, t0);
    EXPECT_TRUE(schedule.HangupDue());
    EXPECT_EQ(schedule.Due(t0), "");

    CReplySchedule whole;
    whole.Push(Plan("OK\n", 0, false, 99), t0);
    whole.Consume(3, t0);
    EXPECT_TRUE(whole.HangupDue());

    CReplySchedule silentHangup;
    silentHangup.Push(Plan("", 0, false, 5), t0);
    EXPECT_TRUE(silentHangup.HangupDue());
}
}  // namespace
