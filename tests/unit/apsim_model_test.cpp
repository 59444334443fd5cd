#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "tests/support/fault_plan_with.h"
#include "protocol/commands.h"
#include "tools/apsim/access_point_model.h"

namespace {
std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

std::string RecordBytes(const LinkRecord& record)
{
    return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

std::string AddressOf(const LinkRecord& record)
{
    return std::string(reinterpret_cast<const char*>(record.address), kAddressBytes);
}

LinkRecord Device(int tag)
{
    LinkRecord record;
    std::memset(record.address, tag, kAddressBytes);
    std::memset(record.linkKey, 0xF0 | tag, kLinkKeyBytes);
    return record;
}

// The bytes of every reply to `requests`, joined.
std::string Replies(CAccessPointModel& model, std::string_view requests)
{
    std::string out;
    for (const ReplyPlan& plan : model.Receive(requests))
        out += plan.bytes;
    return out;
}

std::string OneReply(CAccessPointModel& model, std::string_view request)
{
    auto plans = model.Receive(request);
    EXPECT_EQ(plans.size(), 1u);
    return plans.empty() ? std::string() : plans[0].bytes;
}

class ApsimModel : public testing::Test {
protected:
    ApsimModel() { model.State().devices = {Device(1), Device(2), Device(3)}; }
    CAccessPointModel model;
};

TEST_F(ApsimModel, AnswersIdentificationNameReadAndExit)
{
    EXPECT_EQ(OneReply(model, kIdentifyQuestion), kIdentifyAnswer);
    EXPECT_EQ(OneReply(model, kNameReadCommand), "OK\napsim\n");
    EXPECT_EQ(OneReply(model, kExitCommand), kOkReply);
}

TEST_F(ApsimModel, ListsEveryRecordAfterTheCount)
{
    std::string expected = std::string(kOkReply) + Bytes({3, 0});
    for (const LinkRecord& device : model.State().devices)
        expected += RecordBytes(device);
    EXPECT_EQ(OneReply(model, kLinkReadCommand), expected);

    model.State().devices.clear();
    EXPECT_EQ(OneReply(model, kLinkReadCommand), std::string(kOkReply) + Bytes({0, 0}));
}

TEST_F(ApsimModel, ListsTheLargestCountWithDistinctDevices)
{
    model.State().devices = GenerateDevices(kMaxPairedDevices);
    std::string reply = OneReply(model, kLinkReadCommand);
    ASSERT_EQ(reply.size(), 3 + 2 + kMaxPairedDevices * sizeof(LinkRecord));
    EXPECT_EQ(reply.substr(3, 2), Bytes({0xFF, 0xFF}));

    std::set<std::string> addresses, keys;
    for (const LinkRecord& device : model.State().devices) {
        addresses.insert(AddressOf(device));
        keys.insert(std::string(reinterpret_cast<const char*>(device.linkKey), kLinkKeyBytes));
    }
    EXPECT_EQ(addresses.size(), kMaxPairedDevices);
    EXPECT_EQ(keys.size(), kMaxPairedDevices);
    EXPECT_THROW(GenerateDevices(kMaxPairedDevices + 1), std::length_error);
}

TEST_F(ApsimModel, DeletesHeldAddressesAndIgnoresOthers)
{
    std::string request = std::string(kLinkDeleteCommand) + Bytes({3, 0}) + AddressOf(Device(3)) +
                          AddressOf(Device(9)) + AddressOf(Device(1));
    EXPECT_EQ(OneReply(model, request), kOkReply);
    ASSERT_EQ(model.State().devices.size(), 1u);
    EXPECT_EQ(AddressOf(model.State().devices[0]), AddressOf(Device(2)));
    EXPECT_EQ(model.Exchanges().back().payload, request.substr(std::strlen(kLinkDeleteCommand)));

    EXPECT_EQ(OneReply(model, std::string(kLinkDeleteCommand) + Bytes({0, 0})), kOkReply);
    EXPECT_EQ(model.State().devices.size(), 1u);
}

TEST_F(ApsimModel, DeletionWaitsForEveryAddressTheCountAnnounces)
{
    std::string request = std::string(kLinkDeleteCommand) + Bytes({2, 0}) + AddressOf(Device(1));
    EXPECT_TRUE(model.Receive(request).empty());
    EXPECT_EQ(model.State().devices.size(), 3u);
    EXPECT_EQ(Replies(model, AddressOf(Device(2))), kOkReply);
    EXPECT_EQ(model.State().devices.size(), 1u);
}

TEST_F(ApsimModel, StoresANewNameAndReadsItBack)
{
    std::string name = "K\xC3\xBC" "che 3";
    EXPECT_EQ(OneReply(model, std::string(kNameUpdateCommand) + name + "\n"), kOkReply);
    EXPECT_EQ(model.State().name, name);
    EXPECT_EQ(OneReply(model, kNameReadCommand), "OK\n" + name + "\n");

    EXPECT_EQ(OneReply(model, std::string(kNameUpdateCommand) + "\n"), kOkReply);
    EXPECT_EQ(OneReply(model, kNameReadCommand), "OK\n\n");
}

TEST_F(ApsimModel, RefusesANameLongerThanItStores)
{
    std::string longest(CAccessPointModel::kMaxStoredName, 'n');
    EXPECT_EQ(OneReply(model, std::string(kNameUpdateCommand) + longest + "\n"), kOkReply);
    EXPECT_EQ(OneReply(model, std::string(kNameUpdateCommand) + longest + "x\n"), CAccessPointModel::kRefusal);
    EXPECT_EQ(model.State().name, longest);
}

TEST_F(ApsimModel, ChangesThePinOnlyWhenThePinInForceMatches)
{
    EXPECT_EQ(OneReply(model, std::string(kPinUpdateCommand) + "1111\n2222\n"), CAccessPointModel::kRefusal);
    EXPECT_EQ(model.State().pin, "0000");
    EXPECT_EQ(OneReply(model, std::string(kPinUpdateCommand) + "0000\n\n"), kOkReply);
    EXPECT_EQ(model.State().pin, "");
    EXPECT_EQ(OneReply(model, std::string(kPinUpdateCommand) + "\n\n"), kOkReply);
    EXPECT_EQ(OneReply(model, std::string(kPinUpdateCommand) + "\n12345678901234567\n"), CAccessPointModel::kRefusal);
    EXPECT_EQ(model.Exchanges().back().payload, "\n12345678901234567\n");
}

TEST_F(ApsimModel, OneByteAtATimeGivesTheSameRepliesAtTheSameMoments)
{
    const std::string conversation = std::string(kIdentifyQuestion) + kLinkDeleteCommand + Bytes({1, 0}) +
                                     AddressOf(Device(2)) + kPinUpdateCommand + "0000\n9\n" + kNameUpdateCommand +
                                     "x\n" + kLinkReadCommand + kExitCommand;
    CAccessPointModel whole(model.State());
    const std::string expected = Replies(whole, conversation);

    std::string replies;
    size_t exchangesSeen = 0;
    for (char byte : conversation) {
        std::string reply = Replies(model, std::string_view(&byte, 1));
        // A reply comes with the request's last byte and never before it.
        EXPECT_EQ(!reply.empty(), model.Exchanges().size() > exchangesSeen);
        exchangesSeen = model.Exchanges().size();
        replies += reply;
    }
    EXPECT_EQ(replies, expected);
    EXPECT_EQ(model.Received(), conversation);
    EXPECT_EQ(model.Exchanges().size(), 6u);
    EXPECT_EQ(model.State().pin, "9");
}

TEST_F(ApsimModel, LogsUnknownLinesWithoutReplyAndCarriesOn)
{
    EXPECT_EQ(Replies(model, "HELLO\nLINKREAD\r\n"), "");
    EXPECT_EQ(OneReply(model, kExitCommand), kOkReply);
    ASSERT_EQ(model.Exchanges().size(), 3u);
    EXPECT_EQ(model.Exchanges()[0].command, ApCommand::Unknown);
    EXPECT_EQ(model.Exchanges()[0].payload, "HELLO\n");
    EXPECT_EQ(model.Exchanges()[1].payload, "LINKREAD\r\n");
    EXPECT_EQ(model.Exchanges()[2].command, ApCommand::Exit);
}

TEST_F(ApsimModel, EndsLinesThatNeverEndAtTheLineLimit)
{
    std::string noise(3 * CAccessPointModel::kMaxLineBytes, 'z');
    EXPECT_EQ(Replies(model, noise), "");
    ASSERT_EQ(model.Exchanges().size(), 3u);
    EXPECT_EQ(model.Exchanges()[0].payload.size(), CAccessPointModel::kMaxLineBytes);

    // A name that never ends is refused rather than gathered for ever.
    EXPECT_EQ(Replies(model, std::string(kNameUpdateCommand) + noise), CAccessPointModel::kRefusal);
    EXPECT_EQ(model.State().name, "apsim");
}

TEST_F(ApsimModel, HookSeesEachRequestWithTheStateAfterIt)
{
    std::vector<std::string> seen;
    model.SetExchangeHook([&seen](const ExchangeRecord& record, const AccessPointState& state) {
        seen.push_back(std::string(CommandName(record.command)) + " " + state.name);
    });
    Replies(model, std::string(kNameReadCommand) + kNameUpdateCommand + "new\n");
    EXPECT_EQ(seen, (std::vector<std::string>{"LNAMREAD apsim", "LNAMUPDAT new"}));
}

// Faults change the reply bytes and their pacing, never what the device does.
class ApsimFaults : public ApsimModel {
protected:
    ReplyPlan Plan(std::string_view request)
    {
        auto plans = model.Receive(request);
        EXPECT_EQ(plans.size(), 1u);
        return plans.empty() ? ReplyPlan{} : plans[0];
    }
};

TEST_F(ApsimFaults, WrongAcknowledgementReplacesTheWholeReply)
{
    model.SetFaults(With([](FaultPlan& f) { f.wrongAck = true; }));
    EXPECT_EQ(Plan(kLinkReadCommand).bytes, CAccessPointModel::kRefusal);
    EXPECT_EQ(Plan(std::string(kNameUpdateCommand) + "stored\n").bytes, CAccessPointModel::kRefusal);
    EXPECT_EQ(model.State().name, "stored");
    std::string answer = Plan(kIdentifyQuestion).bytes;
    EXPECT_NE(answer[0], kIdentifyAnswer[0]);
}

TEST_F(ApsimFaults, SilenceCutAndGarbageShapeTheBytes)
{
    model.SetFaults(With([](FaultPlan& f) { f.silent = true; }));
    EXPECT_EQ(Plan(kNameReadCommand).bytes, "");

    model.SetFaults(With([](FaultPlan& f) { f.cutAfter = 4; }));
    EXPECT_EQ(Plan(kNameReadCommand).bytes, "OK\na");
    model.SetFaults(With([](FaultPlan& f) { f.cutAfter = 100; }));
    EXPECT_EQ(Plan(kNameReadCommand).bytes, "OK\napsim\n");

    model.SetFaults(With([](FaultPlan& f) { f.garbageBytes = 40; }));
    std::string flooded = Plan(kExitCommand).bytes;
    ASSERT_EQ(flooded.size(), 43u);
    EXPECT_EQ(flooded.substr(40), kOkReply);
    for (size_t i = 0; i < 40; ++i)
        EXPECT_NE(flooded[i] & 0x80, 0) << "noise byte " << i << " could pass for text";
}

TEST_F(ApsimFaults, RawNameReplacesNameAndLineFeedOfTheNameReplyOnly)
{
    std::string raw(250, '\xC3');
    model.SetFaults(With([&raw](FaultPlan& f) { f.rawName = raw; }));
    EXPECT_EQ(Plan(kNameReadCommand).bytes, kOkReply + raw);
    EXPECT_EQ(Plan(kExitCommand).bytes, kOkReply);
}

TEST_F(ApsimFaults, PacingAndHangupTravelWithThePlan)
{
    model.SetFaults(With([](FaultPlan& f) { f.delayMsPerByte = 7; f.throttle = true; f.hangupAfter = 2; }));
    ReplyPlan plan = Plan(kExitCommand);
    EXPECT_EQ(plan.bytes, kOkReply);
    EXPECT_EQ(plan.delayMsPerByte, 7);
    EXPECT_TRUE(plan.throttle);
    EXPECT_EQ(plan.hangupAfter, 2u);

    model.SetFaults({});
    plan = Plan(kExitCommand);
    EXPECT_EQ(plan.delayMsPerByte, 0);
    EXPECT_FALSE(plan.throttle);
    EXPECT_FALSE(plan.hangupAfter);
}

TEST_F(ApsimFaults, ScopeLimitsToACommandAndItsNthExchange)
{
    model.SetFaults(With([](FaultPlan& f) { f.onCommand = ApCommand::NameRead; f.wrongAck = true; }));
    EXPECT_EQ(Plan(kExitCommand).bytes, kOkReply);
    EXPECT_EQ(Plan(kNameReadCommand).bytes, CAccessPointModel::kRefusal);

    // Exchanges so far: EXIT, LNAMREAD. The second LNAMREAD is the 4th overall.
    model.SetFaults(With([](FaultPlan& f) { f.onCommand = ApCommand::NameRead; f.onExchange = 2; f.silent = true; }));
    EXPECT_EQ(Plan(kExitCommand).bytes, kOkReply);
    EXPECT_EQ(Plan(kNameReadCommand).bytes, "");
    EXPECT_EQ(Plan(kNameReadCommand).bytes, "OK\napsim\n");

    model.SetFaults(With([](FaultPlan& f) { f.onExchange = 6; f.silent = true; }));
    EXPECT_EQ(Plan(kExitCommand).bytes, "");
    EXPECT_EQ(Plan(kExitCommand).bytes, kOkReply);
}
}  // namespace
