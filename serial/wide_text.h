#pragma once

#include <string>
#include <string_view>

// UTF-8 and the system's UTF-16 (Windows' wide strings), each way whole.
// Nothing is refused: an invalid UTF-8 sequence, and an unpaired surrogate,
// become U+FFFD. An empty text, or one the system cannot convert, gives an
// empty result.
std::wstring Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::wstring_view utf16);
