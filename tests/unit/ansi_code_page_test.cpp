#include "protocol/posix/ansi_code_page.h"

#include <gtest/gtest.h>
#include <langinfo.h>

#include <stdexcept>
#include <string>

namespace {

// Each case chooses its code page; the locale's is restored after.
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
        int n = page.MultiByteToWideChar(text.data(), static_cast<int>(text.size()), failOnInvalid, nullptr, 0);
        std::u16string wide(n, u'\0');
        EXPECT_EQ(page.MultiByteToWideChar(text.data(), static_cast<int>(text.size()), failOnInvalid, wide.data(), n),
                  n);
        return wide;
    }

    static std::string Narrow(const CAnsiCodePage& page, const std::u16string& wide)
    {
        int n = page.WideCharToMultiByte(wide.data(), static_cast<int>(wide.size()), nullptr, 0);
        std::string text(n, '\0');
        EXPECT_EQ(page.WideCharToMultiByte(wide.data(), static_cast<int>(wide.size()), text.data(), n), n);
        return text;
    }
};

} // namespace

TEST_F(AnsiCodePageTest, SelectionOverridesTheLocaleUntilCleared)
{
    const CAnsiCodePage& locale = CAnsiCodePage::Current();
    EXPECT_EQ(locale.Name(), nl_langinfo(CODESET));
    EXPECT_EQ(Use("CP932").Name(), "CP932");
    CAnsiCodePage::Select("");
    EXPECT_EQ(&CAnsiCodePage::Current(), &locale) << "one object per code page, kept for the process";

    EXPECT_THROW(CAnsiCodePage::Select("NO-SUCH-CODE-PAGE"), std::invalid_argument);
    EXPECT_EQ(&CAnsiCodePage::Current(), &locale);
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

TEST_F(AnsiCodePageTest, MultiByteToWideCharFailsOrReplacesInvalidBytes)
{
    const CAnsiCodePage& page = Use("CP932");
    EXPECT_EQ(Widen(page, "A\x82\xA0\xB1", true), u"A\u3042\uFF71");
    EXPECT_EQ(page.MultiByteToWideChar("A\x82", 2, true, nullptr, 0), 0) << "cut short";
    EXPECT_EQ(Widen(page, "A\x82", false), u"A\uFFFD");
    EXPECT_EQ(page.MultiByteToWideChar("", 0, true, nullptr, 0), 0);
    EXPECT_EQ(page.MultiByteToWideChar("A", -1, false, nullptr, 0), 0);

    char16_t units[3] = {u'#', u'#', u'#'};
    EXPECT_EQ(page.MultiByteToWideChar("AB\xB1", 3, false, units, 2), 0);
    EXPECT_EQ(std::u16string(units, 3), u"###") << "too small a destination is left alone";
    EXPECT_EQ(page.MultiByteToWideChar("AB\xB1", 3, false, units, 3), 3);
    EXPECT_EQ(std::u16string(units, 3), u"AB\uFF71");
}

TEST_F(AnsiCodePageTest, WideCharToMultiByteUsesTheDefaultCharacter)
{
    const CAnsiCodePage& cp1252 = Use("CP1252");
    EXPECT_EQ(Narrow(cp1252, u"\u20AC\u00E9"), "\x80\xE9");
    EXPECT_EQ(Narrow(cp1252, u"a\u4E00b"), "a?b");
    EXPECT_EQ(Narrow(cp1252, u"a\xD83D\xDE00" u"b"), "a?b") << "one default character for a pair";
    EXPECT_EQ(Narrow(cp1252, u"a\xD83D"), "a?") << "an unpaired surrogate";
    EXPECT_EQ(Narrow(cp1252, std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(cp1252.WideCharToMultiByte(u"", 0, nullptr, 0), 0);

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
