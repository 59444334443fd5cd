#include "serial/reply_readers.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_port.h"
#include "tests/support/thrown.h"

// Needs a fresh process (CTest runs each case alone): the time-out is process-wide.
TEST(ReplyTimeout, StartsAtFiveMinutesAndReturnsThePrevious)
{
    EXPECT_EQ(SetReplyTimeout(10000), 300000);
    EXPECT_EQ(SetReplyTimeout(250), 10000);
    CScriptedPort port("abc");
    char buffer[3];
    ReadReplyBytes(&port, buffer, 3);
    EXPECT_EQ(port.TimeoutsGranted(), (std::vector<int>{250, 250, 250})) << "each byte gets the whole time-out";
    SetReplyTimeout(40);
    port.Receive("d");
    ReadReplyByte(&port);
    EXPECT_EQ(port.TimeoutsGranted().back(), 40) << "a change applies from the next byte";
}

TEST(ReadReplyNumber, LittleEndianUnsigned)
{
    CScriptedPort port("\x34\x12\xFF");
    EXPECT_EQ(ReadReplyNumber(&port, 2), 0x1234);
    EXPECT_EQ(ReadReplyNumber(&port, 1), 255) << "no sign extension";
    CScriptedPort wide(std::string("\x00\x01\x00\x80", 4));
    EXPECT_EQ(static_cast<unsigned>(ReadReplyNumber(&wide, 4)), 0x80000100u);
}

TEST(ReadReplyNumber, ZeroWidthReadsNothingAndTimeoutStays666)
{
    CScriptedPort port("x");
    EXPECT_EQ(ReadReplyNumber(&port, 0), 0);
    EXPECT_EQ(ReadReplyNumber(&port, -3), 0);
    EXPECT_EQ(port.Reads(), 0);
    EXPECT_EQ(Thrown([&] { ReadReplyNumber(&port, 2); }), 666) << "not replaced by 999";
}

TEST(ReadReplyBytes, ZeroCountReadsNothingAndTimeoutBecomes999)
{
    CScriptedPort port("ab");
    char buffer[4] = {'-', '-', '-', '-'};
    ReadReplyBytes(&port, buffer, 0);
    EXPECT_EQ(port.Reads(), 0);
    EXPECT_EQ(Thrown([&] { ReadReplyBytes(&port, buffer, 4); }), 999);
    EXPECT_EQ(std::string(buffer, 2), "ab") << "bytes before the failure stay";
    EXPECT_EQ(Thrown([&] { ReadReplyByte(&port); }), 999);
}

TEST(ExpectReply, EmptyTextMatchesWithoutReading)
{
    CScriptedPort port;
    EXPECT_TRUE(ExpectReply(&port, ""));
    EXPECT_EQ(port.Reads(), 0);
}

TEST(ExpectReply, StopsAtFirstDifferenceLeavingTheRest)
{
    CScriptedPort port("ABxD");
    EXPECT_FALSE(ExpectReply(&port, "ABC"));
    EXPECT_EQ(port.Reads(), 3);
    EXPECT_EQ(port.Unread(), 1);
    EXPECT_EQ(ReadReplyByte(&port), 'D');

    CScriptedPort first("Nope");
    EXPECT_FALSE(ExpectReply(&first, "Yes"));
    EXPECT_EQ(first.Reads(), 1);
}

TEST(ExpectReply, FullMatchAndTimeoutBecomes999)
{
    CScriptedPort port("OK");
    EXPECT_EQ(Thrown([&] { ExpectReply(&port, "OK\n"); }), 999);
    CScriptedPort exact("Yes\n");
    EXPECT_TRUE(ExpectReply(&exact, "Yes\n"));
}

TEST(ExpectOk, AlwaysConsumesThreeBytes)
{
    CScriptedPort port("NG\nOK\n");
    EXPECT_FALSE(ExpectOk(&port));
    EXPECT_EQ(port.Reads(), 3);
    EXPECT_TRUE(ExpectOk(&port));

    CScriptedPort carriageReturn("OK\r");
    EXPECT_FALSE(ExpectOk(&carriageReturn));

    CScriptedPort wrongFirst("XK\nrest");
    EXPECT_FALSE(ExpectOk(&wrongFirst));
    EXPECT_EQ(wrongFirst.Unread(), 4);
}

TEST(ExpectOk, TimeoutOnSecondByteThrows999AfterConsumingTheFirst)
{
    CScriptedPort port("OK\n");
    port.TimeOutAtRead(1);
    EXPECT_EQ(Thrown([&] { ExpectOk(&port); }), 999);
    EXPECT_EQ(port.Unread(), 2) << "the first byte is consumed, nothing is put back";
}
