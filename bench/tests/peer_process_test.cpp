#include <gtest/gtest.h>

#include <stdexcept>

#include "bench/expected_replies.h"
#include "bench/peer_process.h"

TEST(PeerAnswer, OkLineGivesDigestAndTimes)
{
    CPeerProcess::Batch batch = CPeerProcess::ParseAnswer("ok cbf29ce484222325 1500 2500 900", 3);
    EXPECT_EQ(batch.digest, Fnv1a64(""));
    EXPECT_EQ(batch.roundTrips, (std::vector<double>{1500, 2500, 900}));
}

TEST(PeerAnswer, ComplaintsAndMalformedAnswersThrow)
{
    try {
        CPeerProcess::ParseAnswer("error expected b'OK\\n', got b'NG\\n'", 1);
        FAIL() << "an error answer must throw";
    } catch (const std::runtime_error& failure) {
        EXPECT_NE(std::string(failure.what()).find("got b'NG"), std::string::npos) << failure.what();
    }
    EXPECT_THROW(CPeerProcess::ParseAnswer("ok cbf29ce484222325 1 2", 3), std::runtime_error);
    EXPECT_THROW(CPeerProcess::ParseAnswer("ok cbf29ce484222325 1 2 3 4", 3), std::runtime_error);
    EXPECT_THROW(CPeerProcess::ParseAnswer("ok nothex 1", 1), std::runtime_error);
    EXPECT_THROW(CPeerProcess::ParseAnswer("ok cbf29ce484222325 1 x", 2), std::runtime_error);
    EXPECT_THROW(CPeerProcess::ParseAnswer("", 0), std::runtime_error);
    EXPECT_THROW(CPeerProcess::ParseAnswer("Traceback (most recent call last):", 0), std::runtime_error);
}

TEST(PeerAnswer, CpuTimeInNanosecondsOrAThrow)
{
    EXPECT_DOUBLE_EQ(CPeerProcess::ParseCpuAnswer("cpu 350000000"), 0.35);
    EXPECT_DOUBLE_EQ(CPeerProcess::ParseCpuAnswer("cpu 0"), 0.0);
    EXPECT_THROW(CPeerProcess::ParseCpuAnswer("cpu"), std::runtime_error);
    EXPECT_THROW(CPeerProcess::ParseCpuAnswer("cpu -5"), std::runtime_error);
    EXPECT_THROW(CPeerProcess::ParseCpuAnswer("cpu 12 13"), std::runtime_error);
    EXPECT_THROW(CPeerProcess::ParseCpuAnswer("error unknown command: cpu"), std::runtime_error);
}
