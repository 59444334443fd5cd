// Fuzzes the paired-device listing: the input is everything the device has
// sent by the time "LINKREAD\n" is answered. The listing must give exactly the
// records the count announces, byte for byte, or fail with an int, no records
// and nothing left received. A name read follows, its reply arriving after
// the listing, to show what the listing left on the line.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "protocol/exchanges.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/scripted_port.h"

namespace {

constexpr int kRecordBytes = kAddressBytes + kLinkKeyBytes;
constexpr char kLaterNameReply[] = "OK\nAP-7\n";

// The outcome a byte stream must give, read the way the device's replies are
// laid out. code 0: success, with count records.
struct Outcome {
    int code = 0;
    int count = 0;
    int reads = 0;    // timed reads, the failing one included
    size_t consumed = 0;
};

Outcome ExpectedListing(const std::string& reply)
{
    const size_t size = reply.size();
    const auto readsUpTo = [&](size_t need) { return static_cast<int>(std::min(need, size + 1)); };
    if (size < 3)
        return {999, 0, readsUpTo(3), 0};
    if (reply.compare(0, 3, "OK\n") != 0)
        return {kListNotAcknowledged, 0, 3, 0};
    if (size < 5)
        return {CSerialPort::kReadTimeoutCode, 0, readsUpTo(5), 0};
    const int count = static_cast<unsigned char>(reply[3]) | static_cast<unsigned char>(reply[4]) << 8;
    const size_t need = 5 + static_cast<size_t>(count) * kRecordBytes;
    if (size < need)
        return {999, 0, readsUpTo(need), 0};
    return {0, count, static_cast<int>(need), need};
}

// A name read over the bytes waiting: false when they do not begin with the
// acknowledgement, otherwise the bytes up to the line feed, at most the
// longest name kept; 999 when they run out first.
struct NameOutcome {
    int code = 0;
    bool acknowledged = false;
    std::string name;
};

NameOutcome ExpectedNameRead(const std::string& waiting)
{
    if (waiting.size() < 3)
        return {999, false, {}};
    if (waiting.compare(0, 3, "OK\n") != 0)
        return {0, false, {}};
    std::string name;
    for (size_t i = 3; static_cast<int>(name.size()) < kMaxNameReplyBytes; ++i) {
        if (i == waiting.size())
            return {999, false, {}};
        if (waiting[i] == '\n')
            break;
        name.push_back(waiting[i]);
    }
    return {0, true, name};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    const std::string reply(reinterpret_cast<const char*>(data), size);
    CScriptedPort port(reply, static_cast<int>(size + sizeof kLaterNameReply));

    // Records of an earlier listing must not survive this one.
    std::vector<LinkRecord> records(2);
    int thrown = 0;
    try {
        ReadPairedDevices(&port, records);
    } catch (int code) {
        thrown = code;
    }

    const Outcome expected = ExpectedListing(reply);
    FUZZ_CHECK(port.Written() == "LINKREAD\n");
    FUZZ_CHECK(thrown == expected.code);
    FUZZ_CHECK(port.Reads() == expected.reads);
    if (thrown != 0) {
        FUZZ_CHECK(records.empty());
        FUZZ_CHECK(port.IsReceiveEmpty());
    } else {
        FUZZ_CHECK(records.size() == static_cast<size_t>(expected.count));
        FUZZ_CHECK(records.empty() ||
                   std::memcmp(records.data(), reply.data() + 5, records.size() * kRecordBytes) == 0);
        FUZZ_CHECK(static_cast<size_t>(port.Unread()) == size - expected.consumed);
    }

    // Whatever a good listing left unread comes first in the next reply.
    port.Receive(kLaterNameReply);
    const std::string leftOver = expected.code == 0 ? reply.substr(expected.consumed) : std::string();
    const NameOutcome expectedName = ExpectedNameRead(leftOver + kLaterNameReply);
    char name[kNameBufferSize];
    std::memset(name, '#', sizeof name);
    bool acknowledged = false;
    thrown = 0;
    try {
        acknowledged = ReadDeviceName(&port, name);
    } catch (int code) {
        thrown = code;
    }
    FUZZ_CHECK(port.Written() == "LINKREAD\nLNAMREAD\n");
    FUZZ_CHECK(thrown == expectedName.code);
    if (thrown != 0)
        return 0;
    FUZZ_CHECK(acknowledged == expectedName.acknowledged);
    if (acknowledged) {
        // Name bytes may be zeros: compare them all, then the NUL after them.
        const size_t length = expectedName.name.size();
        FUZZ_CHECK(std::memcmp(name, expectedName.name.data(), length) == 0 && name[length] == '\0');
    } else {
        FUZZ_CHECK(name[0] == '#');
    }
    return 0;
}
