#include "serial/ring_buffer.h"

#include <gtest/gtest.h>

#include <thread>

// One thread pushing while another pops, without a lock, as the port's
// worker and reader use the receive ring: every byte comes out once, in
// order. Under TSan this also shows the ring free of data races.
TEST(RingBufferThreads, OneProducerAndOneConsumerNeedNoLock)
{
    CRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(64));
    constexpr int kBytes = 300000;
    std::thread producer([&] {
        for (int i = 0; i < kBytes; ++i)
            while (!ring.Push(static_cast<unsigned char>(i * 7)))
                std::this_thread::yield();
    });
    int wrong = 0;
    for (int i = 0; i < kBytes; ++i) {
        while (ring.GetCount() == 0)
            std::this_thread::yield();
        wrong += ring.Pop() != static_cast<unsigned char>(i * 7);
    }
    producer.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(ring.GetCount(), 0);
}
