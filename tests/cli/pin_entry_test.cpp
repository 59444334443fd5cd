// How apctl takes the PINs of a change off its command line: two lines of
// standard input, or asked on the terminal with the new one twice.
#include "cli/pin_entry.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/apctl_options.h"
#include "tests/cli/parse_apctl_arguments.h"

namespace {

TEST(PinEntry, TwoLinesOfInputEachWithoutItsLineEnd)
{
    struct Row {
        std::string input;
        bool taken;
        std::string current;
        std::string next;
    };
    const Row rows[] = {
        {"0000\nS3cret\n", true, "0000", "S3cret"},
        {"0000\r\nS3cret\r\n", true, "0000", "S3cret"},
        {"0000\nS3cret", true, "0000", "S3cret"},
        // An empty PIN in force is a PIN like any other.
        {"\nS3cret\n", true, "", "S3cret"},
        // Only the last carriage return of a line is its end.
        {"00\r\r\nS3\n", true, "00\r", "S3"},
        // What follows the second line is not read as a PIN.
        {"1\n2\n3\n", true, "1", "2"},
        {"0000\n", false, "", ""},
        {"", false, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        std::string text = row.input;
        std::FILE* in = fmemopen(text.data(), text.size(), "r");
        if (text.empty())
            in = std::fopen("/dev/null", "r");
        ASSERT_NE(in, nullptr);
        CPinEntry::Pins pins;
        std::string error;
        EXPECT_EQ(CPinEntry::FromStream(in, pins, error), row.taken);
        std::fclose(in);
        if (row.taken) {
            EXPECT_EQ(pins.current, row.current);
            EXPECT_EQ(pins.next, row.next);
            EXPECT_EQ(error, "");
        } else {
            EXPECT_NE(error.find("--pins-from-stdin"), std::string::npos) << error;
        }
    }
}

TEST(PinEntry, TheTerminalIsAskedThriceAndTheNewPinMustMatch)
{
    struct Row {
        std::vector<std::string> typed;
        bool taken;
        const char* error;
    };
    const Row rows[] = {
        {{"0000", "S3cret", "S3cret"}, true, ""},
        {{"0000", "S3cret", "S3creT"}, false, "the two entries of the new PIN differ; nothing was changed"},
        // The input ended (Ctrl+D) or a signal ended the wait.
        {{"0000", "S3cret"}, false, "no PIN was entered"},
        {{}, false, "no PIN was entered"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> prompts;
        size_t next = 0;
        auto ask = [&](const char* prompt, std::string& line) {
            prompts.emplace_back(prompt);
            if (next == row.typed.size())
                return false;
            line = row.typed[next++];
            return true;
        };
        CPinEntry::Pins pins;
        std::string error;
        EXPECT_EQ(CPinEntry::FromTerminal(ask, pins, error), row.taken);
        EXPECT_EQ(error, row.error);
        const std::vector<std::string> asked = {"Current PIN: ", "New PIN: ", "New PIN again: "};
        EXPECT_EQ(prompts, std::vector<std::string>(asked.begin(), asked.begin() + std::min<size_t>(
                                                                                  3, row.typed.size() + 1)));
        if (row.taken) {
            EXPECT_EQ(pins.current, "0000");
            EXPECT_EQ(pins.next, "S3cret");
        }
    }
}

TEST(PinEntry, PinAndCheckOptionsAreReadAndLeftUnsetWithoutThem)
{
    std::string error;
    auto fromStdin = Parse({"--check", "pin", "--pins-from-stdin"}, error);
    ASSERT_TRUE(fromStdin) << error;
    EXPECT_TRUE(fromStdin->pinsFromStdin);
    EXPECT_TRUE(fromStdin->checkOnly);
    EXPECT_FALSE(fromStdin->currentPin);
    // Asked on the terminal at run time.
    auto bare = Parse({"pin"}, error);
    ASSERT_TRUE(bare) << error;
    EXPECT_FALSE(bare->pinsFromStdin || bare->checkOnly || bare->currentPin || bare->newPin);
}

}  // namespace
