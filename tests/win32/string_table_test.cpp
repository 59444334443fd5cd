// The string table and resources of lidany.dll as the Windows build loads
// them: every entry of strings.ini comes back from LoadStringW, character for
// character; the templates, icon and version are in the library by number.
#include "frontend/string_table.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <map>
#include <string>

#include "frontend/win32/string_table_module.h"

#undef LoadString
#undef SearchPath

namespace {

// The key file's own reading of strings.ini, kept apart from the generator
// so a fault in either shows.
std::map<int, std::string> ReadKeyFile(const char* path)
{
    std::ifstream in(path);
    std::map<int, std::string> entries;
    std::string line, group;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line.front() == '[') {
            group = line.substr(1, line.find(']') - 1);
            continue;
        }
        const auto equals = line.find('=');
        if (group != "strings" || equals == std::string::npos)
            continue;
        std::string text;
        for (size_t i = line.find_first_not_of(" \t", equals + 1); i < line.size(); ++i) {
            if (line[i] != '\\' || i + 1 == line.size()) {
                text += line[i];
                continue;
            }
            switch (line[++i]) {
            case 's': text += ' '; break;
            case 'n': text += '\n'; break;
            case 't': text += '\t'; break;
            case 'r': text += '\r'; break;
            default: text += line[i];
            }
        }
        entries[std::stoi(line.substr(0, equals))] = text;
    }
    return entries;
}

class Win32StringTableTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CStringTable::Load()); }
    void TearDown() override { CStringTable::SetFileName(CStringTable::kFileName); }
};

TEST_F(Win32StringTableTest, EveryEntryOfTheKeyFileComesBackAsWritten)
{
    const auto entries = ReadKeyFile(APCONFIG_STRINGS_INI);
    ASSERT_GT(entries.size(), 50u) << APCONFIG_STRINGS_INI;
    for (const auto& [id, text] : entries)
        EXPECT_EQ(CStringTable::LoadString(id), text) << id;
    // Escapes, quotes and characters beyond ASCII among them, in UTF-8.
    EXPECT_EQ(CStringTable::LoadString(57414), " \xC2\xB7 ");
    EXPECT_EQ(CStringTable::LoadString(57422), ", ");
    EXPECT_NE(CStringTable::LoadString(57455).find("%1\n\napconfig"), std::string::npos);
    EXPECT_NE(CStringTable::LoadString(57415).find("\xE2\x80\x9Csudo usermod"), std::string::npos);
}

TEST_F(Win32StringTableTest, NumbersNotInTheTableGiveEmptyTexts)
{
    for (int id : {0, 1, 57346, 57399, 65535, -1, 70000})
        EXPECT_EQ(CStringTable::LoadString(id), "") << id;
}

TEST_F(Win32StringTableTest, LooksOnlyBesideTheProgram)
{
    const std::filesystem::path program = "C:\\Program Files\\apconfig\\apconfig.exe";
    const std::vector<std::filesystem::path> expected{"C:\\Program Files\\apconfig\\lidany.dll"};
    EXPECT_EQ(CStringTable::SearchPath(program), expected);
}

TEST_F(Win32StringTableTest, AMissingLibraryIsNotLoadedAndTheFirstStays)
{
    CStringTable::SetFileName("missing-lidany.dll");
    EXPECT_FALSE(CStringTable::Load());
    EXPECT_EQ(CStringTable::LoadString(57362), "Paired Devices");
}

// What the window framework finds in the library by number.
TEST_F(Win32StringTableTest, TemplatesAndIconAreThereByNumber)
{
    const auto module = static_cast<HMODULE>(StringTableModule());
    ASSERT_NE(module, nullptr);
    for (int id : {110, 120, 121, 122, 123, 125, 126, 127})
        EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */), nullptr)
            << id;
    EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(100), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */), nullptr);
    EXPECT_EQ(::FindResourceW(module, MAKEINTRESOURCEW(124), MAKEINTRESOURCEW(5)), nullptr);
}

TEST_F(Win32StringTableTest, VersionIsTheProjectsVersion)
{
    wchar_t path[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameW(static_cast<HMODULE>(StringTableModule()), path, MAX_PATH), 0u);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(::GetFileVersionInfoW(path, 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(APCONFIG_VERSION_MAJOR << 16 | APCONFIG_VERSION_MINOR));
    wchar_t* text = nullptr;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                                 reinterpret_cast<void**>(&text), &length));
    EXPECT_EQ(std::wstring(text), std::wstring(APCONFIG_VERSION_WIDE));
}

}  // namespace
