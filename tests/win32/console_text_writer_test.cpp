// apctl's text on a console is read back from the console's own screen as
// the characters it stands for, in the ANSI code page or in UTF-8; a file
// gets the bytes unchanged. It runs on a terminal, which Wine makes the
// process's console.
#include <gtest/gtest.h>

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "cli/console_text_writer.h"

namespace {

class ConsoleTextWriterTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(m_console, INVALID_HANDLE_VALUE) << "no console: run on a terminal";
        m_stream = ::_fdopen(::_open_osfhandle(intptr_t(m_console), _O_BINARY), "wb");
        ASSERT_NE(m_stream, nullptr);
    }
    void TearDown() override
    {
        if (m_stream)
            std::fclose(m_stream);
        CConsoleTextWriter::SetTextIsUtf8(m_stream, false);
    }

    // The characters of the line the cursor is on, up to the cursor.
    std::wstring LineShown() const
    {
        CONSOLE_SCREEN_BUFFER_INFO info{};
        ::GetConsoleScreenBufferInfo(m_console, &info);
        std::wstring shown(size_t(info.dwCursorPosition.X), L'\0');
        DWORD read = 0;
        ::ReadConsoleOutputCharacterW(m_console, shown.data(), DWORD(shown.size()), {0, info.dwCursorPosition.Y},
                                      &read);
        shown.resize(read);
        return shown;
    }

    HANDLE m_console = INVALID_HANDLE_VALUE;
    std::FILE* m_stream = nullptr;
};

TEST_F(ConsoleTextWriterTest, TextInTheAnsiCodePageShowsItsCharacters)
{
    const std::string ansi = "Gr\xFC\xDF" "e";  // Grüße in Windows-1252
    std::wstring expected(ansi.size(), L'\0');
    expected.resize(size_t(::MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), expected.data(),
                                                 int(expected.size()))));
    ::SetConsoleOutputCP(437);
    ASSERT_TRUE(CConsoleTextWriter::Write(m_stream, "\r" + ansi));
    EXPECT_EQ(LineShown(), expected);
}

TEST_F(ConsoleTextWriterTest, Utf8TextShowsItsCharacters)
{
    CConsoleTextWriter::SetTextIsUtf8(m_stream, true);
    ASSERT_TRUE(CConsoleTextWriter::Write(m_stream, "\r\xE6\x97\xA5\xE6\x9C\xAC"));  // 日本
    EXPECT_EQ(LineShown(), L"\u65E5\u672C");
}

TEST(ConsoleTextWriterFileTest, AFileGetsTheBytesUnchanged)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    CConsoleTextWriter::SetTextIsUtf8(file, true);
    const std::string bytes = "{\"name\": \"\xE6\x97\xA5\"}\n\x93\xFA";
    ASSERT_TRUE(CConsoleTextWriter::Write(file, bytes));
    std::rewind(file);
    std::string back(bytes.size() + 1, '\0');
    back.resize(std::fread(back.data(), 1, back.size(), file));
    CConsoleTextWriter::SetTextIsUtf8(file, false);
    std::fclose(file);
    EXPECT_EQ(back, bytes);
}

}  // namespace
