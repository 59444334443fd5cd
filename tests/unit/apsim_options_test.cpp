#include <gtest/gtest.h>

#include <vector>

#include "tools/apsim/apsim_options.h"
#include "tools/apsim/exchange_record.h"
#include "tools/apsim/hex.h"

namespace {
std::optional<ApsimOptions> Parse(std::vector<std::string> args, std::string* error = nullptr)
{
    args.insert(args.begin(), "apsim");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::string message;
    auto options = ParseApsimOptions(static_cast<int>(args.size()), argv.data(), message);
    if (error)
        *error = message;
    return options;
}

TEST(ApsimOptions, TakesTheLineDeviceAndFaultOptions)
{
    auto options = Parse({"--com", "5", "--folder=/tmp/x", "--devices", "2", "--device", "00112233445A",
                          "--device", "a1a2a3a4a5a6:000102030405060708090a0b0c0d0e0f", "--name", "Hall 2",
                          "--pin", "", "--wrong-ack", "--fault-on", "lnamread", "--fault-nth", "2", "--raw-name",
                          "ff0a", "--hangup-after", "0", "--record", "r.txt", "--state", "s.txt"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->com, 5);
    EXPECT_EQ(options->folder, "/tmp/x");
    ASSERT_EQ(options->state.devices.size(), 4u);
    EXPECT_EQ(options->state.devices[2].address[5], 0x5A);
    EXPECT_EQ(options->state.devices[3].linkKey[15], 0x0F);
    EXPECT_EQ(options->state.name, "Hall 2");
    EXPECT_EQ(options->state.pin, "");
    EXPECT_TRUE(options->faults.wrongAck);
    EXPECT_EQ(options->faults.onCommand, ApCommand::NameRead);
    EXPECT_EQ(options->faults.onExchange, 2u);
    EXPECT_EQ(options->faults.rawName, std::string("\xff\n"));
    EXPECT_EQ(options->faults.hangupAfter, 0u);
    EXPECT_EQ(options->recordPath, "r.txt");
    EXPECT_EQ(options->statePath, "s.txt");
}

TEST(ApsimOptions, DefaultsAffectNothing)
{
    auto options = Parse({});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->com, 0);
    EXPECT_TRUE(options->state.devices.empty());
    EXPECT_TRUE(options->faults.Covers(ApCommand::Exit, 1, 1));
    EXPECT_FALSE(options->faults.silent || options->faults.wrongAck || options->faults.throttle);
}

TEST(ApsimOptions, RejectsWhatItCannotTakeWithAReason)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--com", "0"},          {"--com", "5x"},         {"--devices", "65536"}, {"--device", "0011"},
        {"--device", "001122334455:00"}, {"--raw-name", "abc"}, {"--fault-on", "READ"}, {"--fault-nth", "0"},
        {"--name", "a\nb"},      {"--delay-ms", "-1"},    {"--bogus"},            {"stray"},
        {"--com"},               {"--devices", "65535", "--device", "ffffffffffff"},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(Parse(args, &error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(ApsimOptions, RecordLinesNameTheCommandAndHexThePayload)
{
    EXPECT_EQ(FormatRecordLine({ApCommand::LinkRead, ""}), "LINKREAD");
    EXPECT_EQ(FormatRecordLine({ApCommand::Identify, ""}), "IDENTIFY");
    EXPECT_EQ(FormatRecordLine({ApCommand::PinUpdate, "00\n1\n"}), "PINUPDAT 30300a310a");
    EXPECT_EQ(FormatRecordLine({ApCommand::Unknown, "x\n"}), "UNKNOWN 780a");
    EXPECT_EQ(FromHex("0aFf"), std::string("\n\xff"));
    EXPECT_FALSE(FromHex("0g"));
}

TEST(ApsimOptions, StateTextHasOneKeyValueLinePerItem)
{
    AccessPointState state;
    state.devices = GenerateDevices(1);
    EXPECT_EQ(FormatStateText(state), "name apsim\nname_hex 617073696d\npin 0000\ndevices 1\n"
                                      "device 5a3c10000000 " + ToHex(std::string_view(
                                          reinterpret_cast<const char*>(state.devices[0].linkKey), 16)) + "\n");
}
}  // namespace
