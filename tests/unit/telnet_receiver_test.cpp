#include <gtest/gtest.h>

#include <vector>

#include "serial/rfc2217/telnet_receiver.h"
#include "serial/rfc2217/telnet_sender.h"

namespace {
struct Fed {
    std::vector<uint8_t> data;
    std::vector<TelnetCommand> commands;
};

// Feeds the stream in pieces cut at the given offsets.
Fed FeedInPieces(const std::vector<uint8_t>& stream, std::vector<size_t> cuts)
{
    CTelnetReceiver receiver;
    Fed fed;
    cuts.push_back(stream.size());
    size_t from = 0;
    for (size_t cut : cuts) {
        receiver.Feed(stream.data() + from, cut - from, fed.data, fed.commands);
        from = cut;
    }
    return fed;
}
}  // namespace

TEST(TelnetReceiver, DoubledIacAndACommandSplitAcrossReadsComeOutWhole)
{
    // 'A', IAC IAC, IAC SB 44 107 0x10 IAC SE, 'B', IAC WILL 3.
    const std::vector<uint8_t> stream{'A', 255, 255, 255, 250, 44, 107, 0x10, 255, 240, 'B', 255, 251, 3};
    for (size_t cut = 1; cut < stream.size(); ++cut) {
        const Fed fed = FeedInPieces(stream, {cut});
        EXPECT_EQ(fed.data, (std::vector<uint8_t>{'A', 255, 'B'})) << "cut at " << cut;
        ASSERT_EQ(fed.commands.size(), 2u) << "cut at " << cut;
        EXPECT_EQ(fed.commands[0].verb, 250);
        EXPECT_EQ(fed.commands[0].payload, (std::vector<uint8_t>{107, 0x10}));
        EXPECT_EQ(fed.commands[1].verb, 251);
        EXPECT_EQ(fed.commands[1].option, 3);
    }
}

TEST(TelnetReceiver, WhatTheSenderDoublesIsReadBackAsSent)
{
    const std::vector<uint8_t> sent{0, 255, 255, 1, 255};
    std::vector<uint8_t> stream;
    telnet_out::AppendData(stream, sent.data(), sent.size());
    EXPECT_EQ(stream.size(), sent.size() + 3);
    const std::vector<uint8_t> value = telnet_out::ComPortCommand32(1, 0xff01c200);
    stream.insert(stream.end(), value.begin(), value.end());
    const Fed fed = FeedInPieces(stream, {});
    EXPECT_EQ(fed.data, sent);
    ASSERT_EQ(fed.commands.size(), 1u);
    EXPECT_EQ(fed.commands[0].payload, (std::vector<uint8_t>{1, 0xff, 0x01, 0xc2, 0x00}));
}
