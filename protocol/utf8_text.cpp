#include "protocol/utf8_text.h"

namespace {
// Windows-1252's 0x80 to 0x9F; 0 where it has no character.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

struct Range {
    char32_t first, last;
};

// Unicode's format characters (general category Cf).
constexpr Range kFormat[] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
    {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x202A, 0x202E},
    {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
    {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

bool IsControlOrFormat(char32_t c)
{
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return true;
    for (const Range& range : kFormat)
        if (c >= range.first && c <= range.last)
            return true;
    return false;
}
}  // namespace

size_t CUtf8Text::Decode(std::string_view text, size_t i, char32_t* codePoint)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead == 0) {
        return 0;
    } else if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (byte(k) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    *codePoint = c;
    return length;
}

void CUtf8Text::Append(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool CUtf8Text::IsValid(std::string_view text)
{
    char32_t c = 0;
    for (size_t i = 0, length = 0; i < text.size(); i += length)
        if ((length = Decode(text, i, &c)) == 0)
            return false;
    return true;
}

std::string CUtf8Text::MadeValid(std::string_view text)
{
    std::string valid;
    char32_t c = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t length = Decode(text, i, &c);
        if (length == 0) {
            Append(valid, 0xFFFD);
            ++i;
        } else {
            valid.append(text.substr(i, length));
            i += length;
        }
    }
    return valid;
}

bool CUtf8Text::FromWindows1252(std::string_view text, std::string& out)
{
    std::string converted;
    for (const char byte : text) {
        const auto b = static_cast<unsigned char>(byte);
        char32_t c = b;
        if (b >= 0x80 && b <= 0x9F && (c = kWindows1252High[b - 0x80]) == 0)
            return false;
        Append(converted, c);
    }
    out = std::move(converted);
    return true;
}

size_t CUtf8Text::Length(std::string_view text)
{
    size_t count = 0;
    for (const char byte : text)
        count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    return count;
}

std::string CUtf8Text::Printable(std::string_view text, char replacement)
{
    std::string shown;
    char32_t c = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t length = Decode(text, i, &c);
        if (length == 0 || IsControlOrFormat(c)) {
            shown += replacement;
            i += length == 0 ? 1 : length;
        } else {
            shown.append(text.substr(i, length));
            i += length;
        }
    }
    return shown;
}
