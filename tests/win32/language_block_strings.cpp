#include "language_block_strings.h"

#include "serial/wide_text.h"

std::string CLanguageBlockStrings::Text(int id) const
{
    // Texts are stored sixteen to a resource, each with its length first.
    HRSRC found = ::FindResourceExA(m_module, RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), m_language);
    if (!found)
        return {};
    auto at = static_cast<const wchar_t*>(::LockResource(::LoadResource(m_module, found)));
    for (int skipped = 0; skipped < id % 16; ++skipped)
        at += 1 + *at;
    return Utf16ToUtf8(std::wstring_view(at + 1, *at));
}
