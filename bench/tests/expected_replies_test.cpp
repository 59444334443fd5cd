#include <gtest/gtest.h>

#include "bench/expected_replies.h"
#include "tools/apsim/access_point_model.h"

TEST(ExpectedReplies, FnvMatchesKnownValues)
{
    // Published FNV-1a 64 test vectors; the Python peer uses the same ones.
    EXPECT_EQ(Fnv1a64(""), 0xCBF29CE484222325ULL);
    EXPECT_EQ(Fnv1a64("a"), 0xAF63DC4C8601EC8CULL);
    EXPECT_EQ(Fnv1a64("foobar"), 0x85944171F73967E8ULL);
}

TEST(ExpectedReplies, ListingPayloadIsWhatTheDeviceSends)
{
    for (size_t count : {size_t{0}, size_t{3}, size_t{300}}) {
        AccessPointState state;
        state.devices = GenerateDevices(count);
        CAccessPointModel model(state);
        std::vector<ReplyPlan> replies = model.Receive("LINKREAD\n");
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].bytes, "OK\n" + ListingPayload(count)) << count;
    }
    EXPECT_EQ(ListingPayload(300).substr(0, 2), std::string("\x2C\x01", 2));
}

TEST(ExpectedReplies, FirstWrongRecordFindsChangedMissingAndSurplusRecords)
{
    std::vector<LinkRecord> records = GenerateDevices(5);
    EXPECT_EQ(FirstWrongRecord(records, 5), std::nullopt);

    records[3].linkKey[15] ^= 1;
    EXPECT_EQ(FirstWrongRecord(records, 5), 3u);

    records = GenerateDevices(5);
    records[0].address[0] ^= 0x80;
    EXPECT_EQ(FirstWrongRecord(records, 5), 0u);

    records = GenerateDevices(4);
    EXPECT_EQ(FirstWrongRecord(records, 5), 4u);
    EXPECT_EQ(FirstWrongRecord(GenerateDevices(6), 5), 5u);
    EXPECT_EQ(FirstWrongRecord({}, 0), std::nullopt);
}
