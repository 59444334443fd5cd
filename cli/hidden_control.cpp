#include "cli/hidden_control.h"

bool CHiddenControl::Is(char32_t c)
{
    return (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

size_t CHiddenControl::InUtf8(std::string_view text, size_t at, char32_t* codePoint)
{
    auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    auto continuation = [&](size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
    if (at >= text.size())
        return 0;
    char32_t c = 0;
    size_t length = 0;
    // Every one of them is two or three bytes long.
    if ((byte(at) & 0xE0) == 0xC0 && continuation(at + 1)) {
        c = static_cast<char32_t>(((byte(at) & 0x1F) << 6) | (byte(at + 1) & 0x3F));
        length = 2;
    } else if ((byte(at) & 0xF0) == 0xE0 && continuation(at + 1) && continuation(at + 2)) {
        c = static_cast<char32_t>(((byte(at) & 0x0F) << 12) | ((byte(at + 1) & 0x3F) << 6) | (byte(at + 2) & 0x3F));
        length = 3;
    }
    if (length == 0 || !Is(c))
        return 0;
    if (codePoint)
        *codePoint = c;
    return length;
}
