#include <gtest/gtest.h>

#include <vector>

#include "cli/apctl_options.h"
#include "cli/progress_line.h"
#include "cli/terminal_text.h"
#include "frontend/string_table.h"
#include "protocol/ansi_code_page.h"
#include "tests/cli/parse_apctl_arguments.h"

namespace {
// apctl says everything in the resource library's words: every test of it
// runs with the library loaded, as the program does before it parses its
// arguments.
class StringTableEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(CStringTable::Load()); }
};

const testing::Environment* const g_stringTable = testing::AddGlobalTestEnvironment(new StringTableEnvironment);

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

    // An option's value "--" ends nothing.
    auto pin = Parse({"--port", "COM5", "pin", "--current", "--", "--new", "-1"}, error);
    ASSERT_TRUE(pin) << error;
    EXPECT_EQ(*pin->currentPin, "--");
    EXPECT_EQ(*pin->newPin, "-1");
}

TEST(ApctlOptions, EachUsageErrorSaysWhat)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no command given"},
        {{"erase"}, "unknown command 'erase'"},
        {{"list", "--verbose"}, "unknown option --verbose"},
        {{"list", "--verbose=3"}, "unknown option --verbose"},
        {{"list", "--port"}, "option --port needs a value"},
        {{"name", "--new"}, "option --new needs a value"},
        // The letter at fault, not the argument before it.
        {{"--port", "COM5", "list", "-xy"}, "unknown option -x"},
        {{"list", "-"}, "unexpected argument '-'"},
        {{"list", "--json=yes"}, "option --json takes no value"},
        {{"--port=", "list"}, "option --port needs a value, a port such as COM5 or /dev/ttyUSB0"},
        {{"--port", "", "list"}, "option --port needs a value, a port such as COM5 or /dev/ttyUSB0"},
        {{"--port", "COM5", "--port", "COM6", "list"}, "option --port is given twice"},
        {{"pin", "--current", "1", "--current", "2", "--new", "3"}, "option --current is given twice"},
        {{"list", "extra"}, "unexpected argument 'extra'"},
        {{"pin", "--current", "1", "--new", "2", "3"}, "unexpected argument '3'"},
        {{"identify", "\x1b[2J"}, "unexpected argument '\\x1b[2J'"},
        {{"name", "--json", "a", "b"}, "name takes one new name (quote a name with spaces)"},
        {{"pin", "--new", "1"}, "pin needs --current PIN and --new PIN"},
        {{"delete", "--json", "44:55:33:00:11:22"}, "--json goes with list, name, status and list-ports only"},
        {{"status", "--json", "x"}, "unexpected argument 'x'"},
        {{"list-ports", "COM5"}, "unexpected argument 'COM5'"},
        {{"list-ports", "--port", "COM5"}, "list-ports lists every port: it takes no --port"},
        {{"name", "a", "b"}, "name takes one new name (quote a name with spaces)"},
        {{"list", "--current", "1"}, "--current and --new go with pin only"},
        {{"list", "--pins-from-stdin"}, "--pins-from-stdin goes with pin only"},
        {{"pin", "--pins-from-stdin", "--new", "1"}, "--pins-from-stdin takes the place of --current and --new"},
        {{"pin", "--current", "1"}, "pin needs --current PIN and --new PIN"},
        {{"pin", "--check=1"}, "option --check takes no value"},
    };
    for (const auto& [args, expected] : cases) {
        std::string error;
        EXPECT_FALSE(Parse(args, error));
        EXPECT_EQ(error, expected);
    }
}

TEST(ApctlOptions, APortNamedCOMMustBeACOMName)
{
    const std::vector<std::pair<std::string, bool>> cases = {
        {"COM5", true},      {"com5", true},     {"COM1", true},       {"COM255", true},  {"/dev/ttyUSB0", true},
        {"./COM0", true},    {"COM0000005", false}, {"COM05", false},  {"COM0", false},   {"COM256", false},
        {"COM99999999999", false}, {"COM5x", false}, {"COM", false},  {"COM-5", false},  {"COM 5", false},
    };
    for (const auto& [port, valid] : cases) {
        std::string error;
        auto options = Parse({"--port", port, "identify"}, error);
        EXPECT_EQ(options.has_value(), valid) << port;
        if (valid)
            EXPECT_EQ(options->port, port);
        else
            EXPECT_EQ(error, "--port '" + port + "' is no port name: COM1 to COM255 without leading zeros, or a device path");
    }
}

TEST(ApctlOptions, EveryCommandTakesJsonOrRefusesIt)
{
    for (const auto& [args, takes] : std::vector<std::pair<std::vector<std::string>, bool>>{
             {{"identify"}, false},
             {{"list"}, true},
             {{"delete", "44:55:33:00:11:22"}, false},
             {{"pin", "--current", "1", "--new", "2"}, false},
             {{"name"}, true},
             {{"name", "New"}, true},
             {{"status"}, true},
         }) {
        std::vector<std::string> withJson = args;
        withJson.push_back("--json");
        std::string error;
        auto options = Parse(withJson, error);
        ASSERT_EQ(options.has_value(), takes) << args[0] << ": " << error;
        if (takes)
            EXPECT_TRUE(options->json);
        else
            EXPECT_EQ(error, "--json goes with list, name, status and list-ports only");
    }
}

TEST(TerminalText, ControlCharactersAreShownAsEscapes)
{
    CAnsiCodePage::Select("UTF-8");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Lobby AP", "Lobby AP"},
        {"a\nb\r\tc", "a\\nb\\r\\tc"},
        {std::string("\0\x1b[2J\x7f", 6), "\\x00\\x1b[2J\\x7f"},
        {"back\\slash", "back\\\\slash"},
        {"\xC2\x9B" "31m \xC2\xA0\xC3\xA9", "\\u009b31m \xC2\xA0\xC3\xA9"},  // CSI; NBSP and é stay
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(CTerminalText::Escaped(text), shown);
    CAnsiCodePage::Select("ISO-8859-1");
    EXPECT_EQ(CTerminalText::Escaped("\x9B" "2J\xE9"), "\\x9b2J\xE9");
    CAnsiCodePage::Select("CP1252");
    EXPECT_EQ(CTerminalText::Escaped("\x80"), "\x80") << "the euro sign";
    CAnsiCodePage::Select("CP932");
    EXPECT_EQ(CTerminalText::Escaped("\x95\x5C\n"), "\x95\x5C\\n") << "a backslash as second byte stays";
    CAnsiCodePage::Select("");
}

TEST(ProgressLine, SaysHowManyOfHowManyAndTheTimeLeftAtTheLineRate)
{
    // 65 535 records of 22 bytes at 11 bits a byte and 115200 baud.
    EXPECT_EQ(CProgressLine::Text(0, 65535), "Reading paired devices: 0 of 65535, about 2:18 left");
    EXPECT_EQ(CProgressLine::Text(65000, 65535), "Reading paired devices: 65000 of 65535, about 0:02 left");
    EXPECT_EQ(CProgressLine::Text(10, 10), "Reading paired devices: 10 of 10, about 0:00 left");
}

}  // namespace
