#include "serial/posix/trickle_watch.h"

#include <gtest/gtest.h>

// When the tty driver lets received bytes gather before it wakes the worker.
namespace {
using namespace std::chrono_literals;
using Clock = CTrickleWatch::Clock;

class TrickleWatchTest : public testing::Test {
protected:
    // Blocks of `bytes` read `gap` apart, starting at the current time.
    void Blocks(std::initializer_list<std::pair<size_t, Clock::duration>> blocks)
    {
        for (const auto& [bytes, gap] : blocks) {
            m_now += gap;
            m_watch.BlockRead(bytes, m_now);
        }
    }

    CTrickleWatch m_watch;
    Clock::time_point m_now{std::chrono::seconds(1000)};
};

TEST_F(TrickleWatchTest, AReplyAtTheLineRateTricklesFromItsSecondBlockOn)
{
    m_watch.Wrote();
    Blocks({{1, 95us}});
    EXPECT_FALSE(m_watch.Trickling(m_now + 95us)) << "the first block after a request is never held up";
    Blocks({{1, 95us}});
    EXPECT_TRUE(m_watch.Trickling(m_now + 95us));
    // Gathered blocks come as slowly per byte: still a trickle.
    Blocks({{42, 4ms}, {41, 4ms}});
    EXPECT_TRUE(m_watch.Trickling(m_now + 95us));
}

TEST_F(TrickleWatchTest, BlocksThatComeAtOnceAreNoTrickle)
{
    m_watch.Wrote();
    // A pty hands over thousands of bytes a millisecond, in any split.
    Blocks({{4096, 0us}, {4096, 150us}, {13, 5us}, {2000, 40us}});
    EXPECT_FALSE(m_watch.Trickling(m_now + 1us));
    // A small block that came quickly after a big one is no trickle either.
    Blocks({{3, 2us}});
    EXPECT_FALSE(m_watch.Trickling(m_now + 1us));
}

TEST_F(TrickleWatchTest, ARequestOrAPauseEndsATrickle)
{
    m_watch.Wrote();
    Blocks({{1, 0us}, {1, 95us}});
    ASSERT_TRUE(m_watch.Trickling(m_now + 95us));
    EXPECT_FALSE(m_watch.Trickling(m_now + CTrickleWatch::kPause)) << "what comes after a pause is news";
    m_watch.Wrote();
    EXPECT_FALSE(m_watch.Trickling(m_now + 95us)) << "the reply to a new request is awaited at once";
    Blocks({{1, 95us}});
    EXPECT_FALSE(m_watch.Trickling(m_now + 95us));
}

TEST_F(TrickleWatchTest, NothingReadIsNoTrickle)
{
    EXPECT_FALSE(m_watch.Trickling(m_now));
    Blocks({{1, 0us}});
    EXPECT_FALSE(m_watch.Trickling(m_now + 95us)) << "one block alone tells no pace";
}

}  // namespace
