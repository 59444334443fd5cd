#include "protocol/device_name_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "protocol/ansi_code_page.h"

namespace {

std::string Encoded(char16_t unit)
{
    char out[4] = {'#', '#', '#', '#'};
    int n = EncodeUtf8Unit(unit, out);
    EXPECT_EQ(out[n], '\0') << "a NUL follows the sequence";
    return std::string(out, n);
}

std::string ToUtf8(const std::u16string& text)
{
    int n = Utf16ToUtf8(text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::string out(n, '\0');
    EXPECT_EQ(Utf16ToUtf8(text.data(), static_cast<int>(text.size()), out.data(), n), n);
    return out;
}

// Decodes from a buffer holding exactly the given bytes, so a read past the
// text is a sanitizer error.
int Decode(const std::string& bytes, char16_t& unit)
{
    std::vector<char> exact(bytes.begin(), bytes.end());
    return DecodeUtf8Sequence(exact.data(), static_cast<int>(exact.size()), unit);
}

int CountUnits(const std::string& utf8)
{
    std::vector<char> exact(utf8.begin(), utf8.end());
    return Utf8ToUtf16(exact.data(), static_cast<int>(exact.size()), nullptr, 0);
}

} // namespace

TEST(Utf8Encoding, UnitsBecomeOneToThreeBytes)
{
    EXPECT_EQ(Encoded(0x0041), "A");
    EXPECT_EQ(Encoded(0x0000), std::string(1, '\0'));
    EXPECT_EQ(Encoded(0x007F), "\x7F");
    EXPECT_EQ(Encoded(0x0080), "\xC2\x80");
    EXPECT_EQ(Encoded(0x00E9), "\xC3\xA9");
    EXPECT_EQ(Encoded(0x07FF), "\xDF\xBF");
    EXPECT_EQ(Encoded(0x0800), "\xE0\xA0\x80");
    EXPECT_EQ(Encoded(0x20AC), "\xE2\x82\xAC");
    EXPECT_EQ(Encoded(0xFFFF), "\xEF\xBF\xBF");
}

TEST(Utf8Encoding, SurrogatesAreEncodedOneUnitAtATime)
{
    EXPECT_EQ(Encoded(0xD83D), "\xED\xA0\xBD");
    EXPECT_EQ(ToUtf8(u"\xD83D\xDE00"), "\xED\xA0\xBD\xED\xB8\x80");
    EXPECT_EQ(ToUtf8(u"a\xDC00"), "a\xED\xB0\x80");
}

TEST(Utf8Encoding, DestinationMustHoldTheWholeText)
{
    const std::u16string text = u"A\u00E9\u20AC"; // 1 + 2 + 3 bytes
    EXPECT_EQ(Utf16ToUtf8(text.data(), 3, nullptr, 0), 6) << "counting ignores the capacity";

    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(Utf16ToUtf8(text.data(), 3, buffer, 5), 0);
    EXPECT_EQ(std::string(buffer, 3), "A\xC3\xA9") << "what fitted stays";
    EXPECT_EQ(std::string(buffer + 3, 5), "#####") << "nothing written past the capacity";

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(Utf16ToUtf8(text.data(), 3, buffer, 6), 6);
    EXPECT_EQ(std::string(buffer, 6), "A\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(buffer[6], '#') << "no NUL is written";

    EXPECT_EQ(Utf16ToUtf8(text.data(), 0, nullptr, 0), 0);
    EXPECT_EQ(Utf16ToUtf8(text.data(), 0, buffer, 8), 0);
}

TEST(Utf8Decoding, SequencesGiveUnits)
{
    struct Case {
        std::string bytes;
        int length;
        char16_t unit;
    } cases[] = {
        {"A", 1, 0x41},           {"\xC3\xA9", 2, 0xE9},     {"\xE2\x82\xAC", 3, 0x20AC},
        {"\xFF\xBF\xBF", 3, 0xFFFF}, {"\xC1\x81", 2, 0x41},  {"\xC0\x80", 2, 0x0000},
        {"\xC3\x28", 2, 0xE8},    {"\xF0\x9F\x98", 3, 0x07D8},
    };
    for (const Case& c : cases) {
        char16_t unit = 0xABCD;
        EXPECT_EQ(Decode(c.bytes, unit), c.length) << testing::PrintToString(c.bytes);
        EXPECT_EQ(unit, c.unit) << testing::PrintToString(c.bytes);
    }
}

TEST(Utf8Decoding, InvalidOrCutShortSequencesFailAndLeaveTheUnit)
{
    for (const std::string bytes : {"\x80", "\xBF\x80", "\xC3", "\xE3", "\xE3\x82", "\xF0\x9F"}) {
        char16_t unit = 0xABCD;
        EXPECT_EQ(Decode(bytes, unit), 0) << testing::PrintToString(bytes);
        EXPECT_EQ(unit, 0xABCD);
    }
    char16_t unit = 0xABCD;
    EXPECT_EQ(DecodeUtf8Sequence("A", 0, unit), 0);
}

TEST(Utf8Decoding, WholeTextsFailOnAnyBadSequence)
{
    EXPECT_EQ(CountUnits("h\xC3\xA9llo"), 5);
    EXPECT_EQ(CountUnits("\xF0\x9F\x98\x80"), 0) << "4-byte sequences are not understood";
    EXPECT_EQ(CountUnits("\x80"), 0);
    EXPECT_EQ(CountUnits("abc\xE3"), 0);
    EXPECT_EQ(CountUnits("abc\xC3"), 0);
    EXPECT_EQ(CountUnits(""), 0);
    EXPECT_EQ(Utf8ToUtf16("", 0, nullptr, 0), 0);
}

TEST(Utf8Decoding, DestinationMustHoldEveryUnit)
{
    const char text[] = "A\xC3\xA9\xE2\x82\xAC";
    char16_t units[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(Utf8ToUtf16(text, 6, units, 2), 0);
    EXPECT_EQ(units[2], u'#');
    EXPECT_EQ(Utf8ToUtf16(text, 6, units, 3), 3);
    EXPECT_EQ(std::u16string(units, 3), u"A\u00E9\u20AC");
    EXPECT_EQ(units[3], u'#');
}

namespace {

// Name conversions under a chosen code page; the locale's is restored after.
class NameCodecTest : public testing::Test {
protected:
    void TearDown() override { CAnsiCodePage::Select(""); }

    // Runs the in-place conversion on a buffer with spare bytes after the
    // text, and says whether it wrote anywhere past the source's NUL.
    static bool ConvertInPlace(const std::string& utf8, std::string& result, bool& spareTouched)
    {
        std::vector<char> buffer(utf8.begin(), utf8.end());
        buffer.push_back('\0');
        buffer.insert(buffer.end(), 8, '#');
        std::vector<char> before = buffer;
        bool ok = Utf8ToAnsiInPlace(buffer.data());
        spareTouched = !std::equal(buffer.end() - 8, buffer.end(), before.end() - 8);
        if (!ok) {
            EXPECT_EQ(buffer, before) << "a failure leaves the buffer unchanged";
        }
        result = buffer.data();
        return ok;
    }

    static bool ConvertInPlace(const std::string& utf8, std::string& result)
    {
        bool spareTouched;
        bool ok = ConvertInPlace(utf8, result, spareTouched);
        EXPECT_FALSE(spareTouched);
        return ok;
    }
};

} // namespace

TEST_F(NameCodecTest, TwentyHighCharactersBecomeSixtyBytes)
{
    CAnsiCodePage::Select("CP1252");
    std::string utf8 = "kept when failing";
    ASSERT_TRUE(AnsiToUtf8Name(std::string(20, '\x80'), utf8));
    ASSERT_EQ(utf8.size(), 60u);
    for (size_t i = 0; i < 60; i += 3)
        EXPECT_EQ(utf8.substr(i, 3), "\xE2\x82\xAC") << "at byte " << i;
}

TEST_F(NameCodecTest, DoubleByteCharactersAreRefused)
{
    CAnsiCodePage::Select("CP932");
    std::string utf8 = "unchanged";
    EXPECT_FALSE(AnsiToUtf8Name("\x82\xA0", utf8));
    EXPECT_FALSE(AnsiToUtf8Name("A\x82\xA0Z", utf8));
    EXPECT_FALSE(AnsiToUtf8Name("AB\x82", utf8)) << "a lone lead byte at the end";
    EXPECT_FALSE(AnsiToUtf8Name("\x82", utf8));
    EXPECT_EQ(utf8, "unchanged");
    // Half-width katakana are single bytes in this code page.
    ASSERT_TRUE(AnsiToUtf8Name("A\xB1\xB2", utf8));
    EXPECT_EQ(utf8, "A\xEF\xBD\xB1\xEF\xBD\xB2");
}

TEST_F(NameCodecTest, SingleByteCodePagesHaveNoDoubleByteRefusal)
{
    CAnsiCodePage::Select("CP1252");
    std::string name;
    for (int b = 0x20; b <= 0xFF; ++b)
        if (b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D) // undefined in CP1252
            name += static_cast<char>(b);
    std::string utf8;
    ASSERT_TRUE(AnsiToUtf8Name(name, utf8));
    EXPECT_EQ(utf8, CAnsiCodePage::Current().ToUtf8(name)) << "our encoder agrees with iconv's";

    std::string back;
    ASSERT_TRUE(ConvertInPlace(utf8, back));
    EXPECT_EQ(back, name);
}

TEST_F(NameCodecTest, EmptyOrInvalidNamesFail)
{
    CAnsiCodePage::Select("CP1252");
    std::string utf8 = "unchanged";
    EXPECT_FALSE(AnsiToUtf8Name("", utf8));
    EXPECT_FALSE(AnsiToUtf8Name("A\x81", utf8)) << "0x81 has no character in CP1252";
    CAnsiCodePage::Select("UTF-8");
    EXPECT_FALSE(AnsiToUtf8Name("ab\xC3", utf8));
    EXPECT_EQ(utf8, "unchanged");
    // UTF-8 characters are not double-byte characters.
    ASSERT_TRUE(AnsiToUtf8Name("caf\xC3\xA9", utf8));
    EXPECT_EQ(utf8, "caf\xC3\xA9");
    // The name is a NUL-terminated text.
    ASSERT_TRUE(AnsiToUtf8Name(std::string("AB\0CD", 5), utf8));
    EXPECT_EQ(utf8, "AB");
}

TEST_F(NameCodecTest, DeviceNamesAreConvertedInPlace)
{
    CAnsiCodePage::Select("CP1252");
    std::string ansi;
    ASSERT_TRUE(ConvertInPlace("h\xC3\xA9llo \xE2\x82\xAC", ansi));
    EXPECT_EQ(ansi, "h\xE9llo \x80");
    ASSERT_TRUE(ConvertInPlace("\xE4\xB8\x80x", ansi));
    EXPECT_EQ(ansi, "?x") << "characters the code page lacks become its default";

    CAnsiCodePage::Select("UTF-8");
    ASSERT_TRUE(ConvertInPlace("h\xC3\xA9llo", ansi));
    EXPECT_EQ(ansi, "h\xC3\xA9llo");
    ASSERT_TRUE(ConvertInPlace("AB\xC0\x80" "CD", ansi));
    EXPECT_EQ(ansi, "AB") << "a decoded zero ends the text";
}

TEST_F(NameCodecTest, BadDeviceNamesFailUnchanged)
{
    CAnsiCodePage::Select("CP1252");
    std::string ansi;
    for (const std::string bytes : {"", "\x80", "ab\x80", "name\xE3", "name\xC3", "\xF0\x9F\x98\x80"})
        EXPECT_FALSE(ConvertInPlace(bytes, ansi)) << testing::PrintToString(bytes);
    EXPECT_FALSE(Utf8ToAnsiInPlace(nullptr));
}

TEST_F(NameCodecTest, LongerAnsiFormFailsInsteadOfOverrunning)
{
    // GB18030 takes four bytes for U+0080, whose UTF-8 form has two.
    CAnsiCodePage::Select("GB18030");
    std::string ansi;
    bool spareTouched = false;
    EXPECT_FALSE(ConvertInPlace("\xC2\x80", ansi, spareTouched));
    EXPECT_FALSE(spareTouched);
    EXPECT_FALSE(ConvertInPlace("name\xC2\x80", ansi, spareTouched));
    EXPECT_FALSE(spareTouched);
    // Texts that fit still convert: U+4E00 is two bytes here, three in UTF-8.
    ASSERT_TRUE(ConvertInPlace("A\xE4\xB8\x80", ansi));
    EXPECT_EQ(ansi, "A\xD2\xBB");
}

TEST_F(NameCodecTest, NamesSurviveTheRoundTrip)
{
    for (const auto& [codePage, name] : {std::pair{"CP1252", "Caf\xE9 \x80 \xFF!"},
                                         std::pair{"CP932", "AP-\xB1\xB2\xB3 01"},
                                         std::pair{"UTF-8", "Stra\xC3\x9F" "e \xE2\x82\xAC"}}) {
        CAnsiCodePage::Select(codePage);
        std::string utf8;
        ASSERT_TRUE(AnsiToUtf8Name(name, utf8)) << codePage;
        std::string back;
        ASSERT_TRUE(ConvertInPlace(utf8, back)) << codePage;
        EXPECT_EQ(back, name) << codePage;
    }
}
