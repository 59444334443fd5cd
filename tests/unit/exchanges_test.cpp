#include "protocol/exchanges.h"

#include <gtest/gtest.h>

#include <cstring>

#include "serial/reply_readers.h"
#include "tests/support/scripted_port.h"
#include "tests/support/thrown.h"

// Each exchange's request bytes and its handling of the reply, over a port
// whose "device" bytes are scripted.
namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values)
        bytes.push_back(static_cast<char>(v));
    return bytes;
}

std::string Record(int seed)
{
    std::string record;
    for (int i = 0; i < 22; ++i)
        record.push_back(static_cast<char>(seed * 31 + i));
    return record;
}

LinkRecord ToRecord(const std::string& bytes)
{
    LinkRecord record;
    std::memcpy(&record, bytes.data(), sizeof record);
    return record;
}

TEST(Identification, AsksThenSetsTheConversationTimeoutAndMatchesTheAnswer)
{
    CScriptedPort port("Yes, I'm Bluetooth Access Point.\n");
    EXPECT_TRUE(IdentifyAccessPoint(&port));
    EXPECT_EQ(port.Written(), "Bluetooth Access Point?\n");
    EXPECT_EQ(port.Reads(), 33);
    EXPECT_EQ(port.TimeoutsGranted().front(), 10000);
}

TEST(Identification, FailsAtTheFirstWrongByteOrOnALateOne)
{
    CScriptedPort wrong("Ja, ich bin es.\n");
    EXPECT_FALSE(IdentifyAccessPoint(&wrong));
    EXPECT_EQ(wrong.Reads(), 1);
    CScriptedPort cut("Yes, I'm Blue");
    EXPECT_EQ(Thrown([&] { IdentifyAccessPoint(&cut); }), 999);
}

TEST(ListPairedDevices, EmptyListReadsExactlyFiveBytes)
{
    CScriptedPort port(Bytes({'O', 'K', '\n', 0, 0}) + "next");
    std::vector<LinkRecord> records(3);
    ReadPairedDevices(&port, records);
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(port.Written(), "LINKREAD\n");
    EXPECT_EQ(port.Reads(), 5);
    EXPECT_EQ(port.Unread(), 4) << "no terminator is read";
}

TEST(ListPairedDevices, RecordsAreKeptWholeAsReceived)
{
    CScriptedPort port("OK\n" + Bytes({2, 0}) + Record(1) + Record(2));
    std::vector<LinkRecord> records;
    ReadPairedDevices(&port, records);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&records[1]), 22), Record(2));
    EXPECT_EQ(port.Unread(), 0);
}

TEST(ListPairedDevices, CountIsLittleEndianUnsigned)
{
    std::string reply = "OK\n" + Bytes({0, 1});
    for (int i = 0; i < 256; ++i)
        reply += Record(i);
    CScriptedPort port(reply);
    std::vector<LinkRecord> records;
    ReadPairedDevices(&port, records);
    EXPECT_EQ(records.size(), 256u);
}

TEST(ListPairedDevices, LargestCountIsReadWhole)
{
    std::string reply = "OK\n" + Bytes({0xFF, 0xFF});
    for (int i = 0; i < 65535; ++i) {
        std::string record = Record(i);
        record[0] = static_cast<char>(i & 0xFF);
        record[1] = static_cast<char>(i >> 8);
        reply += record;
    }
    CScriptedPort port(reply + "OK\n", 2 << 20);
    std::vector<LinkRecord> records;
    ReadPairedDevices(&port, records);
    ASSERT_EQ(records.size(), 65535u);
    EXPECT_EQ(records[65534].address[0], 0xFE);
    EXPECT_EQ(records[65534].address[1], 0xFF);
    EXPECT_EQ(port.Unread(), 3) << "nothing read past the last record";
}

TEST(ListPairedDevices, RefusalThrows1AfterThreeBytesAndDiscardsWhatCame)
{
    CScriptedPort port("NO!" + Bytes({1, 0}) + Record(1));
    std::vector<LinkRecord> records;
    EXPECT_EQ(Thrown([&] { ReadPairedDevices(&port, records); }), kListNotAcknowledged);
    EXPECT_EQ(port.Reads(), 3);
    EXPECT_EQ(port.Unread(), 0);
}

TEST(ListPairedDevices, FailureInTheThirdRecordDropsEveryRecord)
{
    CScriptedPort port("OK\n" + Bytes({3, 0}) + Record(1) + Record(2) + Record(3) + "trailing");
    port.TimeOutAtRead(5 + 44 + 10);
    std::vector<LinkRecord> records;
    EXPECT_EQ(Thrown([&] { ReadPairedDevices(&port, records); }), 999);
    EXPECT_TRUE(records.empty());
    EXPECT_EQ(port.Unread(), 0) << "bytes already received are thrown away";
}

TEST(ListPairedDevices, LateCountLeavesAs666)
{
    CScriptedPort port("OK\n" + Bytes({1}));
    std::vector<LinkRecord> records;
    EXPECT_EQ(Thrown([&] { ReadPairedDevices(&port, records); }), 666);
}

TEST(DeletePairedDevices, SendsCountAndAddressesAsReceived)
{
    CScriptedPort port("OK\n");
    std::vector<LinkRecord> chosen = {ToRecord(Record(0)), ToRecord(Record(2))};
    EXPECT_TRUE(DeletePairedDevices(&port, chosen));
    std::string expected = "LINKDEL\n" + Bytes({2, 0}) + Record(0).substr(0, 6) + Record(2).substr(0, 6);
    EXPECT_EQ(port.Written(), expected);
    EXPECT_EQ(port.Written().size(), 22u) << "no link key is ever sent";
}

TEST(DeletePairedDevices, RefusalOrTimeoutDiscardsNothing)
{
    CScriptedPort refused("NG\nmore");
    EXPECT_FALSE(DeletePairedDevices(&refused, {ToRecord(Record(4))}));
    EXPECT_EQ(refused.Unread(), 4);
    CScriptedPort late("O");
    EXPECT_EQ(Thrown([&] { DeletePairedDevices(&late, {ToRecord(Record(4))}); }), 999);
}

TEST(ReadDeviceName, NameEndsAtItsLineFeed)
{
    char name[kNameBufferSize];
    CScriptedPort port("OK\nKitchen AP\nrest");
    ASSERT_TRUE(ReadDeviceName(&port, name));
    EXPECT_STREQ(name, "Kitchen AP");
    EXPECT_EQ(port.Written(), "LNAMREAD\n");
    EXPECT_EQ(port.Unread(), 4);

    CScriptedPort empty("OK\n\n");
    ASSERT_TRUE(ReadDeviceName(&empty, name));
    EXPECT_STREQ(name, "");
}

TEST(ReadDeviceName, KeepsAtMost247BytesAndLeavesTheRest)
{
    char name[kNameBufferSize];
    CScriptedPort longName("OK\n" + std::string(250, 'n') + "\n");
    ASSERT_TRUE(ReadDeviceName(&longName, name));
    EXPECT_EQ(std::string(name), std::string(247, 'n'));
    EXPECT_EQ(longName.Unread(), 4) << "three name bytes and the line feed stay";

    CScriptedPort exact("OK\n" + std::string(247, 'e') + "\n");
    ASSERT_TRUE(ReadDeviceName(&exact, name));
    EXPECT_EQ(std::string(name).size(), 247u);
    EXPECT_EQ(exact.Unread(), 1) << "its line feed stays";

    CScriptedPort longest("OK\n" + std::string(246, 'l') + "\n");
    ASSERT_TRUE(ReadDeviceName(&longest, name));
    EXPECT_EQ(longest.Unread(), 0);
}

TEST(ReadDeviceName, RefusalReadsNoNameByteAndLateBytesThrow)
{
    char name[kNameBufferSize];
    CScriptedPort refused("NG\nname\n");
    EXPECT_FALSE(ReadDeviceName(&refused, name));
    EXPECT_EQ(refused.Reads(), 3);
    CScriptedPort cut("OK\nhalf");
    EXPECT_EQ(Thrown([&] { ReadDeviceName(&cut, name); }), 999);
}

TEST(Updates, NameAndPinRequestsAreExact)
{
    CScriptedPort name("OK\n");
    EXPECT_TRUE(ChangeDeviceName(&name, "Caf\xC3\xA9"));
    EXPECT_EQ(name.Written(), "LNAMUPDAT\nCaf\xC3\xA9\n");

    CScriptedPort pin("OK\n");
    EXPECT_TRUE(ChangePin(&pin, "1234", "98765"));
    EXPECT_EQ(pin.Written(), "PINUPDAT\n1234\n98765\n");

    CScriptedPort empty("NG\n");
    EXPECT_FALSE(ChangePin(&empty, "", ""));
    EXPECT_EQ(empty.Written(), "PINUPDAT\n\n\n");
}

TEST(Updates, TextWithAControlCharacterIsRefusedBeforeAnyByteIsWritten)
{
    for (const char* control : {"\n", "\r", "\x1b", "\x7f", "\x01", "\x1f"}) {
        const std::string bad = std::string("ab") + control + "LINKDEL";
        CScriptedPort name("OK\n");
        EXPECT_FALSE(ChangeDeviceName(&name, bad.c_str())) << int(control[0]);
        EXPECT_EQ(name.Written(), "");
        for (const auto& [inForce, next] : {std::pair{bad.c_str(), "2222"}, std::pair{"0000", bad.c_str()}}) {
            CScriptedPort pin("OK\n");
            EXPECT_FALSE(ChangePin(&pin, inForce, next)) << int(control[0]);
            EXPECT_EQ(pin.Written(), "");
            EXPECT_EQ(pin.Reads(), 0);
        }
    }
}

TEST(EndConversation, WrongOrLateAcknowledgementIsReported)
{
    CScriptedPort ok("OK\n");
    EXPECT_TRUE(EndConversation(&ok));
    EXPECT_EQ(ok.Written(), "EXIT\n");
    CScriptedPort wrong("ERR");
    EXPECT_FALSE(EndConversation(&wrong));
    CScriptedPort silent;
    EXPECT_EQ(Thrown([&] { EndConversation(&silent); }), 999);
}

TEST(LinkAddress, ShownInTheDeviceOrderOfItsBytes)
{
    LinkRecord record{};
    const unsigned char address[6] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::memcpy(record.address, address, 6);
    EXPECT_EQ(FormatLinkAddress(record), "44:55:33:00:11:22");
    const unsigned char high[6] = {0xAB, 0xCD, 0xEF, 0x0A, 0xFF, 0x9C};
    std::memcpy(record.address, high, 6);
    EXPECT_EQ(FormatLinkAddress(record), "FF:9C:0A:AB:CD:EF");
}

}  // namespace

namespace {
// Notes how much of the device's earlier reply still waited when the
// question went out.
class CQuestionWatchingPort : public CScriptedPort {
public:
    using CScriptedPort::CScriptedPort;
    void Write(const void* pData, int nCount) override
    {
        if (m_nUnreadAtQuestion < 0)
            m_nUnreadAtQuestion = Unread();
        CScriptedPort::Write(pData, nCount);
    }
    int m_nUnreadAtQuestion = -1;
};
}  // namespace

TEST(QuietLine, ThrowsAwayWhatWaitsUntilTheLineFallsSilentWithinItsBounds)
{
    struct Row {
        const char* what;
        size_t waiting;
        int thrown;
    };
    const Row rows[] = {
        {"a quiet line", 0, 0},
        {"the rest of a listing", 1000, 1000},
        {"a device that never stops", kQuietLineMaxBytes + 500, kQuietLineMaxBytes},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CScriptedPort port(std::string(row.waiting, '\x5A'));
        EXPECT_EQ(AwaitQuietLine(&port), row.thrown);
        EXPECT_EQ(port.Unread(), static_cast<int>(row.waiting) - row.thrown);
        EXPECT_EQ(port.Written(), "") << "nothing is asked while draining";
        // Every byte is given the silence to come in, no more.
        for (int granted : port.TimeoutsGranted())
            EXPECT_EQ(granted, kQuietLineMs);
    }
}

TEST(QuietLine, TheQuestionGoesOutOnlyOnceTheLeftoversAreGone)
{
    CQuestionWatchingPort port(Record(3) + Record(4) + "OK\n");
    // The leftovers are thrown away; the answer, which never comes, is late.
    EXPECT_FALSE(AccessPointAnswers(&port));
    EXPECT_EQ(port.m_nUnreadAtQuestion, 0);
    EXPECT_EQ(port.Written(), "Bluetooth Access Point?\n");
    EXPECT_EQ(port.TimeoutsGranted().back(), 10000) << "the question's own answer is waited for as always";
}
