#include "frontend/string_table.h"

#include <windows.h>
// The method keeps its own name, as in every file that does not see windows.h.
#undef LoadString
#undef SearchPath

#include <algorithm>

#include "frontend/win32/string_table_module.h"
#include "serial/wide_text.h"

namespace {

std::string& FileName()
{
    static std::string name = CStringTable::kFileName;
    return name;
}

HMODULE& Module()
{
    static HMODULE module = nullptr;
    return module;
}

std::filesystem::path ExecutablePath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);  // the name was cut: try again larger
    }
}

// The text from the English block whatever the user's language: a string
// table resource holds 16 texts, each its length then its UTF-16 units.
std::string EnglishString(HMODULE module, int id)
{
    const HRSRC found = ::FindResourceExW(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1),
                                          MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const auto* units = loaded ? static_cast<const WORD*>(::LockResource(loaded)) : nullptr;
    if (!units)
        return {};
    const WORD* const end = units + ::SizeofResource(module, found) / sizeof(WORD);
    for (int index = 0; units < end; ++index) {
        const WORD length = *units++;
        if (units + length > end)
            return {};
        if (index == id % 16)
            return Utf16ToUtf8(std::wstring_view(reinterpret_cast<const wchar_t*>(units), length));
        units += length;
    }
    return {};
}

}  // namespace

void* StringTableModule()
{
    return Module();
}

std::vector<std::filesystem::path> CStringTable::SearchPath(const std::filesystem::path& executable)
{
    // Windows installs the library beside the program, as the build does.
    return {executable.parent_path() / std::filesystem::u8path(FileName())};
}

bool CStringTable::Load()
{
    const auto executable = ExecutablePath();
    if (executable.empty())
        return false;
    for (const auto& path : SearchPath(executable)) {
        // Only this file: a bare name would let the loader search elsewhere.
        if (HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
            // Kept for the life of the process, as the Linux bundle is.
            if (!Module())
                Module() = module;
            return true;
        }
    }
    return false;
}

void CStringTable::SetFileName(std::string fileName)
{
    FileName() = std::move(fileName);
}

std::string CStringTable::LoadString(int id)
{
    if (!Module() || id < 0 || id > 0xFFFF)
        return {};
    if (EnglishOnly())
        return EnglishString(Module(), id);
    // With no buffer, LoadStringW gives the text in place and its length.
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(Module(), UINT(id), reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? Utf16ToUtf8(std::wstring_view(text, size_t(length))) : std::string();
}

std::string CStringTable::Language()
{
    // Windows picks the LANGUAGE block of each lookup by itself.
    return {};
}

void CStringTable::SelectLanguage(std::string language)
{
    // The thread's preferred UI languages are what LoadString and the dialog
    // functions look up first: the language, then English ahead of the
    // system's own; none restores the system's choice.
    if (language.empty()) {
        ::SetThreadPreferredUILanguages(0, nullptr, nullptr);
        return;
    }
    std::ranges::replace(language, '_', '-');
    const std::wstring list = Utf8ToUtf16(language) + L'\0' + L"en-US" + L'\0' + L'\0';
    ULONG count = 0;
    ::SetThreadPreferredUILanguages(MUI_LANGUAGE_NAME, list.c_str(), &count);
}
