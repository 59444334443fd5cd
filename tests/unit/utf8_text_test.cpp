#include <gtest/gtest.h>

#include <string>

#include "protocol/utf8_text.h"

namespace {

const std::string kReplacement = "\xef\xbf\xbd";

TEST(Utf8Text, ValidityAndRepair)
{
    struct Case {
        std::string text;
        bool valid;
        std::string repaired;
    };
    const Case cases[] = {
        {"", true, ""},
        {"plain", true, "plain"},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", true, "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
        {"a\xff" "b", false, "a" + kReplacement + "b"},
        {"\xc0\xaf", false, kReplacement + kReplacement},                     // overlong '/'
        {"\xed\xa0\x80", false, kReplacement + kReplacement + kReplacement},  // a surrogate
        {"\xf4\x90\x80\x80", false, kReplacement + kReplacement + kReplacement + kReplacement},  // past U+10FFFF
        {"cut \xe2\x82", false, "cut " + kReplacement + kReplacement},
        {std::string("nul\0x", 5), false, "nul" + kReplacement + "x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CUtf8Text::IsValid(c.text), c.valid) << c.text;
        EXPECT_EQ(CUtf8Text::MadeValid(c.text), c.repaired) << c.text;
    }
}

TEST(Utf8Text, Windows1252HasNoCharacterForFiveBytes)
{
    std::string out = "untouched";
    EXPECT_TRUE(CUtf8Text::FromWindows1252("Soci\xe9t\xe9 \x80 \x9f \x8c", out));
    EXPECT_EQ(out, "Soci\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xc5\xb8 \xc5\x92");
    for (const char* missing : {"\x81", "\x8d", "\x8f", "\x90", "\x9d"}) {
        out = "untouched";
        EXPECT_FALSE(CUtf8Text::FromWindows1252(std::string("a") + missing, out)) << int(missing[0] & 0xFF);
        EXPECT_EQ(out, "untouched");
    }
}

TEST(Utf8Text, PrintableHidesControlsFormatsAndBrokenBytes)
{
    const std::pair<std::string, std::string> cases[] = {
        {"USB Serial", "USB Serial"},
        {"a\x1b[2Jb", "a?[2Jb"},
        {"tab\tnl\n\x7f", "tab?nl??"},
        {"c1 \xc2\x85 nbsp \xc2\xa0", "c1 ? nbsp \xc2\xa0"},
        {"rtl \xe2\x80\xae soft \xc2\xad bom \xef\xbb\xbf", "rtl ? soft ? bom ?"},
        {"tag \xf3\xa0\x80\x81", "tag ?"},
        {"bad \xff\xfe", "bad ??"},
        {"\xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9"},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(CUtf8Text::Printable(text, '?'), shown) << text;
    EXPECT_EQ(CUtf8Text::Length("\xc3\xa9t\xc3\xa9 \xe2\x82\xac\xf0\x9f\x98\x80"), 6u);
}

}  // namespace
