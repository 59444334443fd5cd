#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <ostream>

#include "tests/support/fault_plan_with.h"
#include "protocol/exchanges.h"
#include "protocol/line_settings.h"
#include "serial/reply_readers.h"
#include "serial/serial_port.h"
#include "tests/support/device_line.h"

// Every exchange through the program's port, the tty driver and a pty to the
// simulated access point: the request bytes as the device received them, and
// what the host makes of sound, wrong, late, noisy, short and broken replies.
namespace {

using std::chrono::milliseconds;
constexpr milliseconds kPatience(10000);  // only bounds a broken build
// The conversation's 10000 ms per byte pass in 500 ms of real time: quick to
// time out, slow enough for a busy machine to deliver every byte in time.
constexpr unsigned kFastClock = 20;
constexpr int kFastTimeoutRealMs = kConversationTimeoutMs / kFastClock;
constexpr size_t kRecordBytes = sizeof(LinkRecord);

std::string AsBytes(const void* data, size_t size)
{
    return {static_cast<const char*>(data), size};
}

std::string AddressOf(const LinkRecord& record)
{
    return AsBytes(record.address, kAddressBytes);
}

std::string AllBytes(const std::vector<LinkRecord>& records)
{
    return AsBytes(records.data(), records.size() * kRecordBytes);
}

AccessPointState ThreeDevices()
{
    AccessPointState state;
    state.devices = GenerateDevices(3);
    return state;
}

// How an exchange ended: its result, or the int it threw.
struct Outcome {
    bool result = false;
    std::optional<int> thrown;
    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& outcome, std::ostream* os)
{
    if (outcome.thrown)
        *os << "threw " << *outcome.thrown;
    else
        *os << "returned " << std::boolalpha << outcome.result;
}

Outcome Returned(bool result)
{
    return {result, std::nullopt};
}

Outcome Threw(int code)
{
    return {false, code};
}

Outcome OutcomeOf(const std::function<bool()>& exchange)
{
    try {
        return Returned(exchange());
    } catch (int code) {
        return Threw(code);
    }
}

// One exchange as the host runs it against the three-device state, and how
// each kind of bad reply shows.
struct ExchangeCase {
    const char* name;
    ApCommand command;
    std::function<bool(CSerialPort*)> run;
    std::string request;      // what the device must receive
    std::string reply;        // what a sound device answers
    Outcome wrongReply;       // the outcome when the reply differs
    size_t readOnMismatch;    // bytes taken before a difference ends it
    size_t cut;               // a reply cut after this many bytes is short
};

void PrintTo(const ExchangeCase& exchange, std::ostream* os)
{
    *os << exchange.name;
}

bool ListThree(CSerialPort* port)
{
    std::vector<LinkRecord> records;
    ReadPairedDevices(port, records);
    return records.size() == 3;
}

bool ReadsDefaultName(CSerialPort* port)
{
    char name[kNameBufferSize];
    return ReadDeviceName(port, name) && std::string(name) == "apsim";
}

std::vector<ExchangeCase> Cases()
{
    const std::vector<LinkRecord> devices = GenerateDevices(3);
    const std::string ok = kOkReply;
    return {
        {"Identify", ApCommand::Identify, IdentifyAccessPoint, kIdentifyQuestion, kIdentifyAnswer, Returned(false), 1,
         10},
        {"ListPairedDevices", ApCommand::LinkRead, ListThree, kLinkReadCommand,
         ok + std::string("\x03\x00", 2) + AllBytes(devices), Threw(kListNotAcknowledged), 3,
         5 + kRecordBytes + 10},
        {"DeletePairedDevices", ApCommand::LinkDelete,
         [devices](CSerialPort* port) { return DeletePairedDevices(port, {devices[0], devices[2]}); },
         kLinkDeleteCommand + std::string("\x02\x00", 2) + AddressOf(devices[0]) + AddressOf(devices[2]), ok,
         Returned(false), 3, 2},
        {"ReadDeviceName", ApCommand::NameRead, ReadsDefaultName, kNameReadCommand, ok + "apsim\n", Returned(false), 3,
         5},
        {"ChangeDeviceName", ApCommand::NameUpdate,
         [](CSerialPort* port) { return ChangeDeviceName(port, "Caf\xC3\xA9 AP"); },
         kNameUpdateCommand + std::string("Caf\xC3\xA9 AP\n"), ok, Returned(false), 3, 2},
        {"ChangePin", ApCommand::PinUpdate, [](CSerialPort* port) { return ChangePin(port, "0000", "4321"); },
         kPinUpdateCommand + std::string("0000\n4321\n"), ok, Returned(false), 3, 1},
        {"EndConversation", ApCommand::Exit, EndConversation, kExitCommand, ok, Returned(false), 3, 2},
    };
}

// The conversation after identification: 10000 ms per byte, on a fast clock.
class WireTest {
protected:
    WireTest() : line(ThreeDevices(), {}, kFastClock) { SetReplyTimeout(kConversationTimeoutMs); }

    CSerialPort* Port() const { return line.Port(); }

    // Takes n more bytes of what the device sent; they must all come.
    std::string ReadLeft(size_t n)
    {
        std::string bytes(n, '\0');
        EXPECT_NO_THROW(ReadReplyBytes(Port(), bytes.data(), static_cast<int>(n)));
        return bytes;
    }

    // A fresh exchange gets exactly its own reply: nothing of an earlier one
    // waits in front of it and nothing of it was taken before.
    void ExpectInStep()
    {
        const size_t before = line.Device().Received().size();
        EXPECT_EQ(OutcomeOf([this] { return EndConversation(Port()); }), Returned(true));
        EXPECT_EQ(line.Device().Received().substr(before), kExitCommand);
    }

    CDeviceLine line;
};

class WireExchange : public WireTest, public testing::TestWithParam<ExchangeCase> {
protected:
    const ExchangeCase& Case() const { return GetParam(); }
    Outcome RunCase() { return OutcomeOf([this] { return Case().run(Port()); }); }
    // The fault hits the first exchange of this case's command only.
    template <typename Set>
    void FaultThisExchange(Set set)
    {
        line.SetFaults(With([&](FaultPlan& f) {
            f.onCommand = Case().command;
            f.onExchange = 1;
            set(f);
        }));
    }
};

TEST_P(WireExchange, RequestGoesOutExactlyAndExactlyItsReplyIsTaken)
{
    EXPECT_EQ(RunCase(), Returned(true));
    EXPECT_EQ(line.Device().Received(), Case().request);
    ExpectInStep();
}

TEST_P(WireExchange, WrongReplyFailsAndLeavesItsUnreadRest)
{
    FaultThisExchange([](FaultPlan& f) { f.wrongAck = true; });
    EXPECT_EQ(RunCase(), Case().wrongReply);
    EXPECT_EQ(line.Device().Received(), Case().request);
    const std::string wrong(Case().command == ApCommand::Identify ? CAccessPointModel::kWrongIdentifyAnswer
                                                                  : CAccessPointModel::kRefusal);
    EXPECT_EQ(ReadLeft(wrong.size() - Case().readOnMismatch), wrong.substr(Case().readOnMismatch));
    ExpectInStep();
}

TEST_P(WireExchange, NoiseBeforeTheReplyMakesItWrongAndOnlyTheListingDiscards)
{
    constexpr size_t kNoise = 5;
    FaultThisExchange([](FaultPlan& f) { f.garbageBytes = kNoise; });
    const size_t sent = kNoise + Case().reply.size();
    line.HoldNextReadUntilWaiting(static_cast<int>(sent));
    EXPECT_EQ(RunCase(), Case().wrongReply);
    if (Case().command == ApCommand::LinkRead) {
        EXPECT_EQ(line.Waiting(), 0) << "a refused listing throws away all that came";
    } else {
        ASSERT_EQ(line.Waiting(), static_cast<int>(sent - Case().readOnMismatch)) << "the rest stays for later";
        std::string rest = ReadLeft(sent - Case().readOnMismatch);
        EXPECT_EQ(rest.substr(rest.size() - Case().reply.size()), Case().reply);
    }
    ExpectInStep();
}

TEST_P(WireExchange, SilentDeviceFailsWithAThrownCode)
{
    FaultThisExchange([](FaultPlan& f) { f.silent = true; });
    EXPECT_EQ(RunCase(), Threw(kReplyFailedCode));
    EXPECT_EQ(line.Device().Received(), Case().request);
    ExpectInStep();
}

TEST_P(WireExchange, ReplyCutShortFailsWithAThrownCode)
{
    FaultThisExchange([&](FaultPlan& f) { f.cutAfter = Case().cut; });
    EXPECT_EQ(RunCase(), Threw(kReplyFailedCode));
    EXPECT_TRUE(Port()->IsReceiveEmpty());
    ExpectInStep();
}

TEST_P(WireExchange, HangUpMidReplyFailsAndNothingHangs)
{
    FaultThisExchange([&](FaultPlan& f) { f.hangupAfter = Case().cut; });
    EXPECT_EQ(RunCase(), Threw(kReplyFailedCode));
    EXPECT_TRUE(line.Device().WaitForHangup(kPatience));
    // The request goes nowhere and its reply never comes.
    EXPECT_EQ(OutcomeOf([this] { return EndConversation(Port()); }), Threw(kReplyFailedCode));
    line.ClosePort();
}

INSTANTIATE_TEST_SUITE_P(EveryExchange, WireExchange, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<ExchangeCase>& info) { return info.param.name; });

class WireConversation : public WireTest, public testing::Test {
protected:
    std::vector<LinkRecord> List()
    {
        std::vector<LinkRecord> records;
        EXPECT_NO_THROW(ReadPairedDevices(Port(), records));
        return records;
    }
};

TEST_F(WireConversation, ListingKeepsEveryRecordWholeAndReadsTheCountLittleEndian)
{
    // Count bytes 00 01.
    line.SetState({GenerateDevices(256)});
    std::vector<LinkRecord> records = List();
    EXPECT_EQ(records.size(), 256u);
    EXPECT_TRUE(AllBytes(records) == AllBytes(line.Device().State().devices));
    ExpectInStep();

    line.SetState({});
    records = List();
    EXPECT_TRUE(records.empty());
    ExpectInStep();
}

TEST_F(WireConversation, LargestListingCompletes)
{
    // Real time: only a line that stops would make this slow.
    line.SetClockScale(1);
    line.SetState({GenerateDevices(kMaxPairedDevices)});
    std::vector<LinkRecord> records = List();
    ASSERT_EQ(records.size(), kMaxPairedDevices);
    EXPECT_TRUE(AllBytes(records) == AllBytes(line.Device().State().devices));
    EXPECT_EQ(line.Device().Received(), kLinkReadCommand);
    ExpectInStep();
}

TEST_F(WireConversation, ListingLongerThanTheReceiveRingSurvivesAReaderThatFallsBehind)
{
    // 5637 bytes, and the reader is away until the ring is full: the rest
    // must wait on the line, not be lost.
    line.SetState({GenerateDevices(256)});
    line.HoldNextReadUntilWaiting(CSerialPort::kRingCapacity);
    std::vector<LinkRecord> records = List();
    EXPECT_EQ(records.size(), 256u);
    EXPECT_TRUE(AllBytes(records) == AllBytes(line.Device().State().devices));
    ExpectInStep();
}


TEST_F(WireConversation, AddressIsShownInDisplayOrderAndSentBackAsItArrived)
{
    AccessPointState state = ThreeDevices();
    const unsigned char address[kAddressBytes] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::memcpy(state.devices[1].address, address, kAddressBytes);
    line.SetState(state);
    std::vector<LinkRecord> records = List();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(FormatLinkAddress(records[1]), "44:55:33:00:11:22");

    const size_t before = line.Device().Received().size();
    EXPECT_EQ(OutcomeOf([&] { return DeletePairedDevices(Port(), {records[1]}); }), Returned(true));
    EXPECT_EQ(line.Device().Received().substr(before),
              std::string("LINKDEL\n\x01\x00\x00\x11\x22\x33\x44\x55", 16));
    const auto left = line.Device().State().devices;
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(AddressOf(left[0]) + AddressOf(left[1]), AddressOf(state.devices[0]) + AddressOf(state.devices[2]));
}

TEST_F(WireConversation, DeletingEntriesZeroAndTwoOfThreeSendsTwentyTwoBytes)
{
    std::vector<LinkRecord> records = List();
    ASSERT_EQ(records.size(), 3u);
    const size_t before = line.Device().Received().size();
    EXPECT_EQ(OutcomeOf([&] { return DeletePairedDevices(Port(), {records[0], records[2]}); }), Returned(true));
    const std::string request = line.Device().Received().substr(before);
    EXPECT_EQ(request.size(), 22u);
    EXPECT_EQ(request, "LINKDEL\n" + std::string("\x02\x00", 2) + AddressOf(records[0]) + AddressOf(records[2]));
    // Listing again shows what the device kept.
    records = List();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(AllBytes(records), AllBytes({GeneratedDevice(1)}));
}

TEST_F(WireConversation, ListingThatFailsPartWayDropsEveryRecordAndEmptiesTheReceiveRing)
{
    struct Failure {
        size_t cut;
        int code;
    };
    // In the count (the number reader lets the port's code through), then
    // in the third record after two whole ones.
    const Failure failures[] = {{4, CSerialPort::kReadTimeoutCode}, {5 + 2 * kRecordBytes + 10, kReplyFailedCode}};
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.cut);
        line.SetFaults(With([&](FaultPlan& f) {
            f.onCommand = ApCommand::LinkRead;
            f.cutAfter = failure.cut;
        }));
        std::vector<LinkRecord> records = GenerateDevices(1);
        EXPECT_EQ(OutcomeOf([&] {
                      ReadPairedDevices(Port(), records);
                      return true;
                  }),
                  Threw(failure.code));
        EXPECT_TRUE(records.empty());
        EXPECT_TRUE(Port()->IsReceiveEmpty());
        line.SetFaults({});
        EXPECT_EQ(List().size(), 3u);
    }
}

TEST_F(WireConversation, NameReplyIsTakenUpToItsLineFeed)
{
    char name[kNameBufferSize];
    for (std::string stored : {"Caf\xC3\xA9 AP", ""}) {
        line.SetState({{}, stored});
        EXPECT_EQ(OutcomeOf([&] { return ReadDeviceName(Port(), name); }), Returned(true));
        EXPECT_EQ(std::string(name), stored);
        ExpectInStep();
    }
}

TEST_F(WireConversation, NameTailBeyond247BytesStartsTheNextReply)
{
    struct Row {
        std::string tail;      // name bytes after the first 246
        bool nextAccepted;     // the closing exchange that follows
        std::string leftOver;  // after the closing exchange took three bytes
    };
    char name[kNameBufferSize];
    for (const Row& row : {Row{"", true, ""}, Row{"x", false, "\n"}, Row{"xyzw", false, "\nOK\n"}}) {
        const std::string stored = std::string(246, 'n') + row.tail;
        SCOPED_TRACE(stored.size());
        line.SetState({{}, stored});
        EXPECT_EQ(OutcomeOf([&] { return ReadDeviceName(Port(), name); }), Returned(true));
        EXPECT_EQ(std::string(name), stored.substr(0, kMaxNameReplyBytes));
        // The closing reply is in before the tail fails it: its request went
        // out, as the failure drops only what has not.
        line.HoldNextReadUntilWaiting(static_cast<int>(stored.size() + 1 - kMaxNameReplyBytes + 3));
        EXPECT_EQ(OutcomeOf([this] { return EndConversation(Port()); }), Returned(row.nextAccepted));
        EXPECT_EQ(ReadLeft(row.leftOver.size()), row.leftOver);
        ExpectInStep();
    }
}

TEST_F(WireConversation, UpdatesAreAcceptedOrRefusedAsTheDeviceAnswers)
{
    EXPECT_EQ(OutcomeOf([this] { return ChangeDeviceName(Port(), "Caf\xC3\xA9 AP"); }), Returned(true));
    EXPECT_EQ(line.Device().State().name, "Caf\xC3\xA9 AP");
    EXPECT_EQ(OutcomeOf([this] { return ChangePin(Port(), "0000", "4321"); }), Returned(true));
    // The device no longer takes the old PIN; both empty fields still send
    // their line feeds.
    EXPECT_EQ(OutcomeOf([this] { return ChangePin(Port(), "", ""); }), Returned(false));
    EXPECT_EQ(line.Device().State().pin, "4321");
    EXPECT_EQ(line.Device().Received(),
              std::string(kNameUpdateCommand) + "Caf\xC3\xA9 AP\n" + kPinUpdateCommand + "0000\n4321\n" +
                  kPinUpdateCommand + "\n\n");
    ExpectInStep();
}

// However the device answers the closing command, the port then closes and
// nothing more goes out.
TEST(WireEnd, PortClosesAfterAWrongSilentOrLateEndReply)
{
    struct Row {
        const char* what;
        FaultPlan faults;
        Outcome outcome;
    };
    const Row rows[] = {
        {"wrong", With([](FaultPlan& f) { f.wrongAck = true; }), Returned(false)},
        {"silent", With([](FaultPlan& f) { f.silent = true; }), Threw(kReplyFailedCode)},
        // Each byte comes twice as late as the fast clock allows and keeps
        // coming while the port closes.
        {"late", With([](FaultPlan& f) { f.delayMsPerByte = 2 * kFastTimeoutRealMs; }), Threw(kReplyFailedCode)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CDeviceLine line({}, row.faults, kFastClock);
        SetReplyTimeout(kConversationTimeoutMs);
        EXPECT_EQ(OutcomeOf([&] { return EndConversation(line.Port()); }), row.outcome);
        line.ClosePort();
        EXPECT_EQ(line.Device().Received(), kExitCommand);
        // Closed for good: the device can be opened again.
        const DCB settings = AccessPointLineSettings();
        EXPECT_TRUE(line.Port()->Open(CDeviceLine::kComNumber, &settings));
    }
}

}  // namespace
