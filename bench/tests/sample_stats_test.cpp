#include <gtest/gtest.h>

#include "bench/sample_stats.h"

namespace {
CSampleStats Of(std::initializer_list<double> values)
{
    CSampleStats stats;
    for (double value : values)
        stats.Add(value);
    return stats;
}
}  // namespace

TEST(SampleStats, MedianOfOddAndEvenCountsIgnoresOrder)
{
    EXPECT_DOUBLE_EQ(Of({5, 1, 3}).Median(), 3);
    EXPECT_DOUBLE_EQ(Of({4, 1, 3, 2}).Median(), 2.5);
    EXPECT_DOUBLE_EQ(Of({7}).Median(), 7);
}

TEST(SampleStats, NearestRankPercentile)
{
    CSampleStats stats;
    for (int i = 100; i >= 1; --i)
        stats.Add(i);
    EXPECT_DOUBLE_EQ(stats.Percentile(99), 99);
    EXPECT_DOUBLE_EQ(stats.Percentile(100), 100);
    EXPECT_DOUBLE_EQ(stats.Percentile(50), 50);
    EXPECT_DOUBLE_EQ(stats.Percentile(0), 1);
    // With few samples the 99th percentile is the largest one.
    EXPECT_DOUBLE_EQ(Of({1, 9, 2}).Percentile(99), 9);
    EXPECT_DOUBLE_EQ(Of({3, 1, 2}).Percentile(34), 2);
}

TEST(SampleStats, EmptyGivesZeros)
{
    CSampleStats stats;
    EXPECT_EQ(stats.Count(), 0u);
    EXPECT_DOUBLE_EQ(stats.Median(), 0);
    EXPECT_DOUBLE_EQ(stats.Percentile(99), 0);
}
