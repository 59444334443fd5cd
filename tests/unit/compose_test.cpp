#include "frontend/compose.h"

#include <gtest/gtest.h>

TEST(Compose, FillsNumberedArgumentsAndLeavesTheRestAsWritten)
{
    const struct {
        const char* format;
        std::initializer_list<std::string_view> args;
        const char* expected;
    } cases[] = {
        {"%1 on %2", {"COM5", "ttyUSB0"}, "COM5 on ttyUSB0"},
        {"%2, then %1", {"a", "b"}, "b, then a"},
        {"%1%1", {"x"}, "xx"},
        {"100%% of %1", {"ports"}, "100% of ports"},
        {"%3 is missing", {"a"}, "%3 is missing"},
        {"trailing %", {"a"}, "trailing %"},
        {"%0 and %a", {"a"}, "%0 and %a"},
        {"caf\xC3\xA9 %1", {"\xE2\x80\xA6"}, "caf\xC3\xA9 \xE2\x80\xA6"},
        {"%1", {"%2"}, "%2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Compose(c.format, c.args), c.expected) << c.format;
    EXPECT_EQ(Compose("%1 devices", 12), "12 devices");
}
