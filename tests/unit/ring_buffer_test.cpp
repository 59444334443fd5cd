#include "serial/ring_buffer.h"

#include <gtest/gtest.h>

TEST(RingBuffer, NewRingHoldsAndAcceptsNothing)
{
    CRingBuffer ring;
    EXPECT_EQ(ring.GetCount(), 0);
    EXPECT_FALSE(ring.Push(1));
    EXPECT_EQ(ring.Pop(), 0);
    EXPECT_EQ(ring.GetCount(), 0);
}

TEST(RingBuffer, EverySlotIsUsableAndOrderIsKept)
{
    CRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(4096));
    for (int i = 0; i < 4096; ++i)
        ASSERT_TRUE(ring.Push(static_cast<unsigned char>(i * 7)));
    EXPECT_EQ(ring.GetCount(), 4096);
    EXPECT_FALSE(ring.Push(0xAA)) << "a full ring refuses";
    EXPECT_EQ(ring.GetCount(), 4096);
    for (int i = 0; i < 4096; ++i)
        ASSERT_EQ(ring.Pop(), static_cast<unsigned char>(i * 7));
    EXPECT_EQ(ring.GetCount(), 0);
}

TEST(RingBuffer, WrapsFromLastSlotToFirstWithAnyCapacity)
{
    // Capacity 5 is no power of two: the wrap is a comparison, not a mask.
    CRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(5));
    for (int round = 0; round < 4; ++round) {
        for (unsigned char b = 1; b <= 3; ++b)
            ASSERT_TRUE(ring.Push(static_cast<unsigned char>(round * 10 + b)));
        for (unsigned char b = 1; b <= 3; ++b)
            ASSERT_EQ(ring.Pop(), round * 10 + b);
    }
    // Fill completely across the wrap point and drain in order.
    for (unsigned char b = 0; b < 5; ++b)
        ASSERT_TRUE(ring.Push(b + 100));
    EXPECT_FALSE(ring.Push(0));
    for (unsigned char b = 0; b < 5; ++b)
        EXPECT_EQ(ring.Pop(), b + 100);
}

TEST(RingBuffer, StoredZeroIsToldFromEmptyOnlyByCount)
{
    CRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(4));
    EXPECT_EQ(ring.Pop(), 0);
    EXPECT_EQ(ring.GetCount(), 0);
    ASSERT_TRUE(ring.Push(0));
    EXPECT_EQ(ring.GetCount(), 1);
    EXPECT_EQ(ring.Pop(), 0);
    EXPECT_EQ(ring.GetCount(), 0);
}

TEST(RingBuffer, SecondAllocateFailsAndKeepsBytes)
{
    CRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(8));
    ring.Push(42);
    EXPECT_FALSE(ring.Allocate(8));
    EXPECT_EQ(ring.GetCount(), 1);
    EXPECT_EQ(ring.Pop(), 42);
}

TEST(RingBuffer, AllocateAfterFreeGivesEmptyRing)
{
    CRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(3));
    ring.Push(1);
    ring.Push(2);
    ring.Free();
    EXPECT_EQ(ring.GetCount(), 0);
    EXPECT_FALSE(ring.Push(1)) << "no storage after Free";
    ring.Free();  // harmless without storage
    ASSERT_TRUE(ring.Allocate(3));
    EXPECT_EQ(ring.GetCount(), 0);
    EXPECT_EQ(ring.Pop(), 0);
}

TEST(RingBuffer, RefusesNonPositiveCapacity)
{
    CRingBuffer ring;
    EXPECT_FALSE(ring.Allocate(0));
    EXPECT_FALSE(ring.Allocate(-4));
    EXPECT_FALSE(ring.Push(1));
}

TEST(RingBuffer, BatchesKeepOrderAcrossTheWrapAndStopAtFullOrEmpty)
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
    CRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(7));
    unsigned char next = 0;
    unsigned char expected = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << "push " << step.push << " pop " << step.pop);
        unsigned char in[16];
        for (int i = 0; i < step.push; ++i)
            in[i] = static_cast<unsigned char>(next + i);
        ASSERT_EQ(ring.PushMany(in, step.push), step.stored);
        next = static_cast<unsigned char>(next + step.stored);
        unsigned char out[16] = {};
        ASSERT_EQ(ring.PopMany(out, step.pop), step.taken);
        for (int i = 0; i < step.taken; ++i)
            EXPECT_EQ(out[i], expected++) << "byte " << i;
        EXPECT_EQ(ring.GetCount(), static_cast<unsigned char>(next - expected));
    }
    // Single-byte operations see the same ring.
    ASSERT_TRUE(ring.Push(0xEE));
    EXPECT_EQ(ring.Pop(), 0xEE);
}
