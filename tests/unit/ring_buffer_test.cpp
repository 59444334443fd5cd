#include "serial/ring_buffer.h"

#include <gtest/gtest.h>

namespace {

class RingBuffer : public testing::Test {
protected:
    CRingBuffer m_ring;
};

TEST_F(RingBuffer, NewRingHoldsAndAcceptsNothing)
{
    EXPECT_EQ(m_ring.GetCount(), 0);
    EXPECT_FALSE(m_ring.Push(1));
    EXPECT_EQ(m_ring.Pop(), 0);
    EXPECT_EQ(m_ring.GetCount(), 0);
}

TEST_F(RingBuffer, EverySlotIsUsableAndOrderIsKept)
{
    ASSERT_TRUE(m_ring.Allocate(4096));
    for (int i = 0; i < 4096; ++i)
        ASSERT_TRUE(m_ring.Push(static_cast<unsigned char>(i * 7)));
    EXPECT_EQ(m_ring.GetCount(), 4096);
    EXPECT_FALSE(m_ring.Push(0xAA)) << "a full ring refuses";
    EXPECT_EQ(m_ring.GetCount(), 4096);
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ(m_ring.Pop(), static_cast<unsigned char>(i * 7));
    EXPECT_EQ(m_ring.GetCount(), 0);
}

TEST_F(RingBuffer, WrapsFromLastSlotToFirstWithAnyCapacity)
{
    // Capacity 5 is no power of two: the wrap is a comparison, not a mask.
    ASSERT_TRUE(m_ring.Allocate(5));
    for (int round = 0; round < 4; ++round) {
        for (unsigned char b = 1; b <= 3; ++b)
            ASSERT_TRUE(m_ring.Push(static_cast<unsigned char>(round * 10 + b)));
        for (unsigned char b = 1; b <= 3; ++b)
            ASSERT_EQ(m_ring.Pop(), round * 10 + b);
    }
    // Fill completely across the wrap point and drain in order.
    for (unsigned char b = 0; b < 5; ++b)
        ASSERT_TRUE(m_ring.Push(b + 100));
    EXPECT_FALSE(m_ring.Push(0));
    for (unsigned char b = 0; b < 5; ++b)
        EXPECT_EQ(m_ring.Pop(), b + 100);
}

TEST_F(RingBuffer, StoredZeroIsToldFromEmptyOnlyByCount)
{
    ASSERT_TRUE(m_ring.Allocate(4));
    EXPECT_EQ(m_ring.Pop(), 0);
    EXPECT_EQ(m_ring.GetCount(), 0);
    ASSERT_TRUE(m_ring.Push(0));
    EXPECT_EQ(m_ring.GetCount(), 1);
    EXPECT_EQ(m_ring.Pop(), 0);
    EXPECT_EQ(m_ring.GetCount(), 0);
}

TEST_F(RingBuffer, SecondAllocateFailsAndKeepsBytes)
{
    ASSERT_TRUE(m_ring.Allocate(8));
    m_ring.Push(42);
    EXPECT_FALSE(m_ring.Allocate(8));
    EXPECT_EQ(m_ring.GetCount(), 1);
    EXPECT_EQ(m_ring.Pop(), 42);
}

TEST_F(RingBuffer, AllocateAfterFreeGivesEmptyRing)
{
    ASSERT_TRUE(m_ring.Allocate(3));
    m_ring.Push(1);
    m_ring.Push(2);
    m_ring.Free();
    EXPECT_EQ(m_ring.GetCount(), 0);
    EXPECT_FALSE(m_ring.Push(1)) << "no storage after Free";
    m_ring.Free();  // harmless without storage
    ASSERT_TRUE(m_ring.Allocate(3));
    EXPECT_EQ(m_ring.GetCount(), 0);
    EXPECT_EQ(m_ring.Pop(), 0);
}

TEST_F(RingBuffer, RefusesNonPositiveCapacity)
{
    EXPECT_FALSE(m_ring.Allocate(0));
    EXPECT_FALSE(m_ring.Allocate(-4));
    EXPECT_FALSE(m_ring.Push(1));
}

TEST_F(RingBuffer, BatchesKeepOrderAcrossTheWrapAndStopAtFullOrEmpty)
{
    // Capacity 7 against batches of varying size: each one meets the wrap
    // at another place, and single bytes mix in.
    struct Step {
        int push;      // bytes offered to PushMany
        int stored;    // how many it takes
        int pop;       // bytes asked of PopMany
        int taken;     // how many it gives
    };
    const Step steps[] = {{5, 5, 3, 3}, {4, 4, 6, 6}, {9, 7, 2, 2}, {1, 1, 8, 6}, {0, 0, 1, 0}, {3, 3, 3, 3}};
    ASSERT_TRUE(m_ring.Allocate(7));
    unsigned char next = 0;
    unsigned char expected = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "push " << step.push << " pop " << step.pop);
        unsigned char in[16];
        for (int i = 0; i < step.push; ++i)
            in[i] = static_cast<unsigned char>(next + i);
        ASSERT_EQ(m_ring.PushMany(in, step.push), step.stored);
        next = static_cast<unsigned char>(next + step.stored);
        unsigned char out[16] = {};
        ASSERT_EQ(m_ring.PopMany(out, step.pop), step.taken);
        for (int i = 0; i < step.taken; ++i)
            EXPECT_EQ(out[i], expected++) << "byte " << i;
        EXPECT_EQ(m_ring.GetCount(), static_cast<unsigned char>(next - expected));
    }
    // Single-byte operations see the same m_ring.
    ASSERT_TRUE(m_ring.Push(0xEE));
    EXPECT_EQ(m_ring.Pop(), 0xEE);
}

}  // namespace
