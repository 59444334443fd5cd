#include "bench/bench_options.h"

#include <getopt.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
    int count = 0;
    std::string text;
    std::vector<int> numbers;
    std::vector<std::string> texts;
    bool on = true;
};

// The options after the program's name, read into `into`.
bool Parse(std::vector<std::string> args, Parsed& into)
{
    args.insert(args.begin(), "bench");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    optind = 0;  // each parse starts afresh
    return ParseBenchOptions(static_cast<int>(args.size()), argv.data(),
                             {{"count", into.count}, {"text", into.text}, {"number", into.numbers},
                              {"each", into.texts}, {"off", into.on, false}});
}

TEST(BenchOptions, EachValueGoesWhereItsOptionSays)
{
    Parsed parsed;
    ASSERT_TRUE(Parse({"--count", "7", "--number", "1", "--text", "a b", "--each", "x", "--number", "-2", "--off",
                       "--each", "y"},
                      parsed));
    EXPECT_EQ(parsed.count, 7);
    EXPECT_EQ(parsed.text, "a b");
    EXPECT_EQ(parsed.numbers, (std::vector<int>{1, -2}));
    EXPECT_EQ(parsed.texts, (std::vector<std::string>{"x", "y"}));
    EXPECT_FALSE(parsed.on);
}

TEST(BenchOptions, AnUnknownOptionABadNumberOrAWordLeftOverIsRefused)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--frob"}, {"--count", "seven"}, {"--count"}, {"--off", "extra"}, {"--number", "1", "2"}}) {
        Parsed parsed;
        EXPECT_FALSE(Parse(args, parsed)) << args[0];
    }
}

}  // namespace
