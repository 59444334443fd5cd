#include "serial/wide_text.h"

#include <windows.h>

#include <algorithm>

// Without flags the system replaces what it cannot read instead of failing.
std::wstring Utf8ToUtf16(std::string_view utf8)
{
    const int length = static_cast<int>(utf8.size());
    if (length <= 0)
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(size, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), size);
    return wide;
}

std::string Utf16ToUtf8(std::wstring_view utf16)
{
    const int length = static_cast<int>(utf16.size());
    if (length <= 0)
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}
