// Built for both platforms: on Windows it runs under Wine, also with LANG
// chosen for CP1252 and CP932 (EXPECTED_ANSI_CODE_PAGE names the code page
// the system should then report).
#include "protocol/ansi_code_page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>

#ifndef _WIN32
#include <langinfo.h>
#endif

namespace {

// The name Current() gives before any Select(): the locale's codeset, or on
// Windows the system's code page when the run says which that is.
std::optional<std::string> ExpectedOwnName()
{
#ifdef _WIN32
    if (const char* expected = std::getenv("EXPECTED_ANSI_CODE_PAGE"))
        return expected;
    return std::nullopt;
#else
    return nl_langinfo(CODESET);
#endif
}

// Each case chooses its code page; the platform's own is restored after.
class AnsiCodePageTest : public testing::Test {
protected:
    void TearDown() override { CAnsiCodePage::Select(""); }

    static const CAnsiCodePage& Use(const char* name)
    {
        CAnsiCodePage::Select(name);
        return CAnsiCodePage::Current();
    }

    static std::u16string Widen(const CAnsiCodePage& page, const std::string& text, bool failOnInvalid)
    {
        const int len = static_cast<int>(text.size());
        const int n = page.MultiByteToWideChar(text.data(), len, failOnInvalid, nullptr, 0);
        std::u16string wide(n, u'\0');
        EXPECT_EQ(page.MultiByteToWideChar(text.data(), len, failOnInvalid, wide.data(), n), n);
        return wide;
    }

    static std::string Narrow(const CAnsiCodePage& page, const std::u16string& wide)
    {
        const int count = static_cast<int>(wide.size());
        const int n = page.WideCharToMultiByte(wide.data(), count, nullptr, 0);
        std::string text(n, '\0');
        EXPECT_EQ(page.WideCharToMultiByte(wide.data(), count, text.data(), n), n);
        return text;
    }
};

} // namespace

TEST_F(AnsiCodePageTest, SelectionOverridesTheOwnCodePageUntilCleared)
{
    const CAnsiCodePage& own = CAnsiCodePage::Current();
    if (const auto expected = ExpectedOwnName()) {
        EXPECT_EQ(own.Name(), *expected);
    }
    EXPECT_EQ(Use("CP932").Name(), "CP932");
    EXPECT_EQ(Use("UTF-8").Name(), "UTF-8");
    CAnsiCodePage::Select("");
    EXPECT_EQ(&CAnsiCodePage::Current(), &own) << "one object per code page, kept for the process";

    for (const char* bad : {"NO-SUCH-CODE-PAGE", "CP", "CP99999"})
        EXPECT_THROW(CAnsiCodePage::Select(bad), std::invalid_argument) << bad;
    EXPECT_EQ(&CAnsiCodePage::Current(), &own);
}

TEST_F(AnsiCodePageTest, OnlyDoubleByteCodePagesHaveLeadBytes)
{
    const CAnsiCodePage& cp932 = Use("CP932");
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(cp932.IsLeadByte(b), (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) << "byte " << b;
    for (const char* name : {"CP1252", "UTF-8"}) {
        const CAnsiCodePage& page = Use(name);
        for (int b = 0; b < 256; ++b)
            EXPECT_FALSE(page.IsLeadByte(b)) << name << " byte " << b;
    }
}

TEST_F(AnsiCodePageTest, ConversionsRoundTrip)
{
    struct Case {
        const char* page;
        std::string bytes;
        std::u16string wide;
        std::string utf8;
    };
    const Case cases[] = {
        {"CP1252", "caf\xE9 \x80", u"caf\u00E9 \u20AC", "caf\u00E9 \u20AC"},
        {"CP932", "\x93\xFA\x96\x7B", u"\u65E5\u672C", "\u65E5\u672C"},
        {"UTF-8", "\xC2\x81\xE2\x82\xAC", u"\u0081\u20AC", "\u0081\u20AC"},
    };
    for (const Case& c : cases) {
        const CAnsiCodePage& page = Use(c.page);
        EXPECT_EQ(Widen(page, c.bytes, true), c.wide) << c.page;
        EXPECT_EQ(Narrow(page, c.wide), c.bytes) << c.page;
        EXPECT_EQ(page.ToUtf8(c.bytes), c.utf8) << c.page;
        EXPECT_EQ(page.FromUtf8(c.utf8), c.bytes) << c.page;
    }
}

TEST_F(AnsiCodePageTest, MultiByteToWideCharFailsOrReplacesInvalidBytes)
{
    const CAnsiCodePage& cp932 = Use("CP932");
    EXPECT_EQ(Widen(cp932, "A\x82\xA0\xB1", true), u"A\u3042\uFF71");
    EXPECT_EQ(cp932.MultiByteToWideChar("A\x82", 2, true, nullptr, 0), 0) << "cut short";
#ifndef _WIN32
    // Windows gives a lead byte cut short as the code page's own default
    // character (U+30FB in CP932), not U+FFFD.
    EXPECT_EQ(Widen(cp932, "A\x82", false), u"A\uFFFD");
#endif
    EXPECT_EQ(cp932.MultiByteToWideChar("a\x93", 2, true, nullptr, 0), 0) << "a lead byte at the end";
    EXPECT_EQ(cp932.MultiByteToWideChar("", 0, true, nullptr, 0), 0);
    EXPECT_EQ(cp932.MultiByteToWideChar("", 0, false, nullptr, 0), 0);
    EXPECT_EQ(cp932.MultiByteToWideChar("A", -1, false, nullptr, 0), 0);

    // Bytes a single-byte page leaves undefined hold no character.
    const CAnsiCodePage& cp1252 = Use("CP1252");
    EXPECT_EQ(cp1252.MultiByteToWideChar("a\x81", 2, true, nullptr, 0), 0);
    EXPECT_EQ(Widen(cp1252, "a\x81", false), u"a\uFFFD");
    EXPECT_EQ(Widen(Use("UTF-8"), "a\xFF", false), u"a\uFFFD");
}

TEST_F(AnsiCodePageTest, TooSmallDestinationsAreLeftAlone)
{
    const CAnsiCodePage& cp932 = Use("CP932");
    char16_t units[3] = {u'#', u'#', u'#'};
    EXPECT_EQ(cp932.MultiByteToWideChar("AB\xB1", 3, false, units, 2), 0);
    EXPECT_EQ(std::u16string(units, 3), u"###") << "too small a destination is left alone";
    EXPECT_EQ(cp932.MultiByteToWideChar("AB\xB1", 3, false, units, 3), 3);
    EXPECT_EQ(std::u16string(units, 3), u"AB\uFF71");

    const CAnsiCodePage& cp1252 = Use("CP1252");
    char16_t wide[2] = {u'#', u'#'};
    EXPECT_EQ(cp1252.MultiByteToWideChar("abc", 3, false, wide, 2), 0);
    EXPECT_EQ(wide[0], u'#');
    char bytes[2] = {'#', '#'};
    EXPECT_EQ(cp1252.WideCharToMultiByte(u"abc", 3, bytes, 2), 0);
    EXPECT_EQ(bytes[0], '#');
}

TEST_F(AnsiCodePageTest, WideCharToMultiByteUsesTheDefaultCharacter)
{
    // No best fit: a character the page lacks is "?", one per character.
    const CAnsiCodePage& cp1252 = Use("CP1252");
    EXPECT_EQ(Narrow(cp1252, u"\u20AC\u00E9"), "\x80\xE9");
    EXPECT_EQ(Narrow(cp1252, u"a\u4E00b"), "a?b");
    EXPECT_EQ(Narrow(cp1252, u"a\u65E5\U0001F600b"), "a??b");
    EXPECT_EQ(Narrow(cp1252, u"a\xD83D\xDE00" u"b"), "a?b") << "one default character for a pair";
    EXPECT_EQ(Narrow(cp1252, u"a\xD83D"), "a?") << "an unpaired surrogate";
    EXPECT_EQ(Narrow(Use("UTF-8"), std::u16string(u"x") + char16_t(0xD800) + u"y"), "x?y");
    EXPECT_EQ(Narrow(cp1252, std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(cp1252.WideCharToMultiByte(u"", 0, nullptr, 0), 0);
}

TEST_F(AnsiCodePageTest, FourByteFormsNeedRoomForAllFour)
{
    const CAnsiCodePage& gb18030 = Use("GB18030");
    EXPECT_EQ(Narrow(gb18030, u"\u0080"), "\x81\x30\x81\x30");
    char bytes[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(gb18030.WideCharToMultiByte(u"\u0080", 1, bytes, 3), 0);
    EXPECT_EQ(std::string(bytes, 4), "####");
}

TEST_F(AnsiCodePageTest, ToolkitTextConvertsBothWays)
{
    const CAnsiCodePage& cp1252 = Use("CP1252");
    EXPECT_EQ(cp1252.FromUtf8("\xE2\x82\xAC" "uro \xE6\x97\xA5"), "\x80uro ?");
    EXPECT_EQ(cp1252.ToUtf8("\x80uro"), "\xE2\x82\xAC" "uro");
    EXPECT_EQ(cp1252.ToUtf8("a\x81" "b"), "a\xEF\xBF\xBD" "b") << "invalid bytes become U+FFFD";
    EXPECT_EQ(cp1252.ByteLength("\xE2\x82\xAC" "uro"), 4);

    const CAnsiCodePage& cp932 = Use("CP932");
    EXPECT_EQ(cp932.ByteLength("\xE6\x97\xA5\xE6\x9C\xAC" "A"), 5);
    EXPECT_EQ(cp932.ToUtf8(cp932.FromUtf8("\xE6\x97\xA5\xE6\x9C\xAC")), "\xE6\x97\xA5\xE6\x9C\xAC");

    const CAnsiCodePage& utf8 = Use("UTF-8");
    EXPECT_EQ(utf8.FromUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
    EXPECT_EQ(utf8.ToUtf8("a\xC3"), "a\xEF\xBF\xBD");
    EXPECT_EQ(utf8.ByteLength(""), 0);
}
