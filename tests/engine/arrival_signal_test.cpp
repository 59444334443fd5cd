#include "serial/arrival_signal.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/wait_until.h"

// One thread sleeping until another has something for it.
namespace {
constexpr uint32_t kTenMinutes = 600000;

TEST(ArrivalSignal, ASignalWithNobodySleepingCostsNoWakeUp)
{
    CArrivalSignal signal;
    for (int i = 0; i < 1000; ++i)
        signal.Signal();
    EXPECT_EQ(signal.Wakes(), 0u);
    EXPECT_EQ(signal.Sleeps(), 0u);
}

TEST(ArrivalSignal, ReadyAfterTheAnnouncementMeansNoSleep)
{
    CArrivalSignal signal;
    EXPECT_TRUE(signal.SleepUnless([] { return true; }, kTenMinutes));
    EXPECT_EQ(signal.Sleeps(), 0u);
}

TEST(ArrivalSignal, ASleepRunsOutItsTimeWhenNothingComes)
{
    CArrivalSignal signal;
    EXPECT_FALSE(signal.SleepUnless([] { return false; }, 1));
    EXPECT_EQ(signal.Sleeps(), 1u);
    EXPECT_EQ(signal.Wakes(), 0u);
}

TEST(ArrivalSignal, ASignalEndsTheSleepAtOnce)
{
    CArrivalSignal signal;
    std::atomic<bool> ready{false}, woken{false};
    std::thread sleeper([&] {
        while (!ready)
            woken = signal.SleepUnless([&] { return ready.load(); }, kTenMinutes) || woken;
    });
    ASSERT_TRUE(WaitUntil([&] { return signal.Sleeps() == 1; }));
    ready = true;
    signal.Signal();
    // Ten-minute sleeps: the thread ending at all shows the signal woke it.
    const bool ended = WaitUntil([&] { return woken.load(); });
    if (!ended)
        signal.Signal();
    sleeper.join();
    EXPECT_TRUE(ended);
    EXPECT_EQ(signal.Wakes(), 1u);
}

TEST(ArrivalSignal, NoSignalIsLostBetweenTheTestAndTheSleep)
{
    // The other side makes ready true and signals at every moment relative
    // to the sleeper's announcement; each round must end at once.
    CArrivalSignal signal;
    std::atomic<int> round{0}, done{0};
    std::thread sleeper([&] {
        for (int r = 1; r <= 2000; ++r) {
            while (round.load() < r)
                signal.SleepUnless([&] { return round.load() >= r; }, kTenMinutes);
            done = r;
        }
    });
    for (int r = 1; r <= 2000; ++r) {
        round = r;
        signal.Signal();
        if (!WaitUntil([&] { return done.load() == r; })) {
            ADD_FAILURE() << "round " << r << " was lost";
            round = 2000;
            while (done.load() != 2000)
                signal.Signal();
            break;
        }
    }
    sleeper.join();
}

}  // namespace
