// Which language block of a resource library Windows takes for the user's
// language: the program asks for texts and templates by number alone, so
// the loader's choice is the program's language. Each run of this test has
// its own locale (LANG, LC_ALL) and names the block it must land in.
#include <gtest/gtest.h>

// The resource types as the wide functions take them.
#define UNICODE 1
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::string Setting(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// [start, start + size) of the resource of that number, type and language;
// empty when the block lacks it.
struct Span {
    const char* start = nullptr;
    size_t size = 0;
    bool Holds(const void* at) const
    {
        const char* p = static_cast<const char*>(at);
        return start && p >= start && p < start + size;
    }
};

Span ResourceOf(HMODULE module, LPCWSTR type, int number, LANGID language)
{
    HRSRC found = ::FindResourceExW(module, type, MAKEINTRESOURCEW(number), language);
    if (!found)
        return {};
    return {static_cast<const char*>(::LockResource(::LoadResource(module, found))),
            size_t(::SizeofResource(module, found))};
}

class ResourceLanguageTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string library = Setting("RESOURCE_LIBRARY");
        ASSERT_FALSE(library.empty()) << "RESOURCE_LIBRARY names the library beside the test";
        m_module = ::LoadLibraryExA(library.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr) << library;
        m_expected = LANGID(std::stoul(Setting("EXPECTED_LANGID"), nullptr, 16));
        m_string = std::stoi(Setting("STRING_NUMBER"));
        m_dialog = std::stoi(Setting("DIALOG_NUMBER"));
    }
    void TearDown() override
    {
        if (m_module)
            ::FreeLibrary(m_module);
    }

    HMODULE m_module = nullptr;
    LANGID m_expected = 0;
    int m_string = 0;
    int m_dialog = 0;
};

TEST_F(ResourceLanguageTest, TextsAndTemplatesComeFromTheExpectedBlock)
{
    // A text is found in the string block of sixteen that holds it.
    const Span strings = ResourceOf(m_module, RT_STRING, m_string / 16 + 1, m_expected);
    ASSERT_NE(strings.start, nullptr) << "no string block in language " << std::hex << m_expected;
    const wchar_t* text = nullptr;
    ASSERT_GT(::LoadStringW(m_module, UINT(m_string), reinterpret_cast<LPWSTR>(&text), 0), 0);
    EXPECT_TRUE(strings.Holds(text)) << "user UI language " << std::hex << ::GetUserDefaultUILanguage();

    // The dialog functions find their template as FindResourceW does.
    const Span dialog = ResourceOf(m_module, RT_DIALOG, m_dialog, m_expected);
    ASSERT_NE(dialog.start, nullptr) << "no dialog " << m_dialog << " in language " << std::hex << m_expected;
    HRSRC chosen = ::FindResourceW(m_module, MAKEINTRESOURCEW(m_dialog), RT_DIALOG);
    ASSERT_NE(chosen, nullptr);
    EXPECT_EQ(::LockResource(::LoadResource(m_module, chosen)), dialog.start)
        << "user UI language " << std::hex << ::GetUserDefaultUILanguage();
}

}  // namespace
