#include <gtest/gtest.h>

#include <vector>

#include "cli/apctl_options.h"
#include "cli/progress_line.h"

namespace {

std::optional<ApctlOptions> Parse(std::vector<std::string> args, std::string& error)
{
    args.insert(args.begin(), "apctl");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return ParseApctlOptions(static_cast<int>(args.size()), argv.data(), error);
}

TEST(ApctlOptions, OptionsMayStandBeforeOrAfterTheCommand)
{
    std::string error;
    auto before = Parse({"--port", "COM5", "list", "--json"}, error);
    ASSERT_TRUE(before) << error;
    EXPECT_EQ(before->command, ApctlOptions::ECommand::List);
    EXPECT_EQ(before->port, "COM5");
    EXPECT_TRUE(before->json);

    auto after = Parse({"delete", "44:55:33:00:11:22", "--port", "/dev/ttyUSB0", "05:06:04:01:02:03"}, error);
    ASSERT_TRUE(after) << error;
    EXPECT_EQ(after->port, "/dev/ttyUSB0");
    EXPECT_EQ(after->arguments, (std::vector<std::string>{"44:55:33:00:11:22", "05:06:04:01:02:03"}));
}

TEST(ApctlOptions, AfterADoubleDashANameMayStartWithADash)
{
    std::string error;
    auto name = Parse({"name", "--", "-dash-"}, error);
    ASSERT_TRUE(name) << error;
    EXPECT_EQ(name->arguments, std::vector<std::string>{"-dash-"});
}

TEST(ApctlOptions, EachUsageErrorSaysWhat)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no command given"},
        {{"erase"}, "unknown command 'erase'"},
        {{"list", "--verbose"}, "unknown option --verbose"},
        {{"list", "--port"}, "option --port needs a value"},
        {{"pin", "--new", "1"}, "pin needs --current PIN and --new PIN"},
        {{"delete", "--json", "44:55:33:00:11:22"}, "--json goes with list, name and list-ports only"},
        {{"list-ports", "COM5"}, "unexpected argument 'COM5'"},
        {{"list-ports", "--port", "COM5"}, "list-ports lists every port: it takes no --port"},
        {{"name", "a", "b"}, "name takes one new name (quote a name with spaces)"},
        {{"list", "--current", "1"}, "--current and --new go with pin only"},
    };
    for (const auto& [args, expected] : cases) {
        std::string error;
        EXPECT_FALSE(Parse(args, error));
        EXPECT_EQ(error, expected);
    }
}

TEST(ProgressLine, SaysHowManyOfHowManyAndTheTimeLeftAtTheLineRate)
{
    // 65 535 records of 22 bytes at 11 bits a byte and 115200 baud.
    EXPECT_EQ(CProgressLine::Text(0, 65535), "Reading paired devices: 0 of 65535, about 2:18 left");
    EXPECT_EQ(CProgressLine::Text(65000, 65535), "Reading paired devices: 65000 of 65535, about 0:02 left");
    EXPECT_EQ(CProgressLine::Text(10, 10), "Reading paired devices: 10 of 10, about 0:00 left");
}

}  // namespace
