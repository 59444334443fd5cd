// The Windows code page over the system's conversions; run under Wine with
// LANG chosen for CP1252 and CP932 (EXPECTED_ANSI_CODE_PAGE names the one
// the system should then report).
#include "ansi_code_page.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace {

class Win32AnsiCodePageTest : public testing::Test {
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

TEST_F(Win32AnsiCodePageTest, CurrentIsTheSystemsUntilSelected)
{
    const CAnsiCodePage& system = CAnsiCodePage::Current();
    if (const char* expected = std::getenv("EXPECTED_ANSI_CODE_PAGE")) {
        EXPECT_EQ(system.Name(), expected);
    }
    EXPECT_EQ(Use("CP932").Name(), "CP932");
    EXPECT_EQ(Use("UTF-8").Name(), "UTF-8");
    CAnsiCodePage::Select("");
    EXPECT_EQ(&CAnsiCodePage::Current(), &system) << "one object per code page, kept for the process";
    for (const char* bad : {"NO-SUCH-CODE-PAGE", "CP", "CP99999"})
        EXPECT_THROW(CAnsiCodePage::Select(bad), std::invalid_argument) << bad;
    EXPECT_EQ(&CAnsiCodePage::Current(), &system);
}

TEST_F(Win32AnsiCodePageTest, ConversionsRoundTrip)
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

TEST_F(Win32AnsiCodePageTest, WhatCannotBeHeldBecomesReplacements)
{
    const CAnsiCodePage& cp1252 = Use("CP1252");
    // No best fit: a character the page lacks is "?", one per character.
    EXPECT_EQ(Narrow(cp1252, u"a\u65E5\U0001F600b"), "a??b");
    EXPECT_EQ(Narrow(Use("UTF-8"), std::u16string(u"x") + char16_t(0xD800) + u"y"), "x?y");
    // Bytes the page leaves undefined hold no character.
    EXPECT_EQ(cp1252.MultiByteToWideChar("a\x81", 2, true, nullptr, 0), 0);
    EXPECT_EQ(Widen(cp1252, "a\x81", false), u"a\uFFFD");
    const CAnsiCodePage& cp932 = Use("CP932");
    // A lead byte at the end is cut short.
    EXPECT_EQ(cp932.MultiByteToWideChar("a\x93", 2, true, nullptr, 0), 0);
    EXPECT_EQ(Widen(Use("UTF-8"), "a\xFF", false), u"a\uFFFD");
    EXPECT_EQ(cp932.ByteLength("\u65E5\u672Ca"), 5);
}

TEST_F(Win32AnsiCodePageTest, TooSmallBuffersAreLeftAlone)
{
    const CAnsiCodePage& page = Use("CP1252");
    char16_t wide[2] = {u'#', u'#'};
    EXPECT_EQ(page.MultiByteToWideChar("abc", 3, false, wide, 2), 0);
    EXPECT_EQ(wide[0], u'#');
    char bytes[2] = {'#', '#'};
    EXPECT_EQ(page.WideCharToMultiByte(u"abc", 3, bytes, 2), 0);
    EXPECT_EQ(bytes[0], '#');
    EXPECT_EQ(page.MultiByteToWideChar("", 0, false, nullptr, 0), 0);
}

TEST_F(Win32AnsiCodePageTest, LeadBytesOnlyInDoubleBytePages)
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
