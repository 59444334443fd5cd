// Characters a terminal acts on rather than shows, in a device's name: the
// text output and the JSON output escape the same ones, C1 controls (CSI,
// U+009B, starts an escape sequence as ESC [ does) and the bidirectional
// controls that would make a name read as another.
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>

#include <string>

#include "cli/json_output.h"
#include "cli/terminal_text.h"
#include "protocol/ansi_code_page.h"

namespace {

struct HiddenCase {
    const char* name;
    std::string utf8;
    const char* escape;
};

class OutputEscapeTest : public testing::TestWithParam<HiddenCase> {
protected:
    void SetUp() override { CAnsiCodePage::Select("UTF-8"); }
    void TearDown() override { CAnsiCodePage::Select(""); }
};

TEST_P(OutputEscapeTest, TextAndJsonEscapeTheSameCharacters)
{
    const std::string name = "ab" + GetParam().utf8 + "cd";
    const std::string escape = GetParam().escape;
    EXPECT_EQ(CTerminalText::Escaped(name), "ab" + escape + "cd");
    const std::string json = CJsonOutput::Name(name);
    EXPECT_EQ(json, "{\n  \"name\" : \"ab" + escape + "cd\"\n}\n");
    EXPECT_EQ(nlohmann::json::parse(json)["name"], name) << "a parser reads the name back";
}

INSTANTIATE_TEST_SUITE_P(Hidden, OutputEscapeTest,
                         testing::Values(HiddenCase{"FirstC1", "\xc2\x80", "\\u0080"},
                                         HiddenCase{"Csi", "\xc2\x9b", "\\u009b"},
                                         HiddenCase{"LastC1", "\xc2\x9f", "\\u009f"},
                                         HiddenCase{"ArabicLetterMark", "\xd8\x9c", "\\u061c"},
                                         HiddenCase{"LeftToRightMark", "\xe2\x80\x8e", "\\u200e"},
                                         HiddenCase{"RightToLeftMark", "\xe2\x80\x8f", "\\u200f"},
                                         HiddenCase{"LeftToRightEmbedding", "\xe2\x80\xaa", "\\u202a"},
                                         HiddenCase{"RightToLeftOverride", "\xe2\x80\xae", "\\u202e"},
                                         HiddenCase{"LeftToRightIsolate", "\xe2\x81\xa6", "\\u2066"},
                                         HiddenCase{"PopDirectionalIsolate", "\xe2\x81\xa9", "\\u2069"}),
                         [](const testing::TestParamInfo<HiddenCase>& info) { return info.param.name; });

TEST(OutputEscapeNeighboursTest, CharactersBesideTheRangesAreShownAsTheyAre)
{
    CAnsiCodePage::Select("UTF-8");
    // U+00A0, U+061B, U+200D, U+2030, U+206A and an e with acute.
    for (const std::string text : {"\xc2\xa0", "\xd8\x9b", "\xe2\x80\x8d", "\xe2\x80\xb0", "\xe2\x81\xaa", "\xc3\xa9"}) {
        EXPECT_EQ(CTerminalText::Escaped(text), text);
        EXPECT_EQ(CJsonOutput::Name(text), "{\n  \"name\" : \"" + text + "\"\n}\n");
    }
    CAnsiCodePage::Select("");
}

// In a single-byte code page the same characters are one byte each.
TEST(OutputEscapeNeighboursTest, SingleByteCodePagesEscapeTheirOwnControlsAndMarks)
{
    struct {
        const char* codePage;
        std::string text;
        const char* shown;
    } cases[] = {{"ISO-8859-1", "a\x9b" "b", "a\\x9bb"},
                 {"CP1255", "a\xfd\xfe" "b", "a\\xfd\\xfeb"},
                 {"CP1252", "a\x9b" "b", "a\x9b" "b"}};
    for (const auto& c : cases) {
        CAnsiCodePage::Select(c.codePage);
        EXPECT_EQ(CTerminalText::Escaped(c.text), c.shown) << c.codePage;
    }
    CAnsiCodePage::Select("");
}

}  // namespace
