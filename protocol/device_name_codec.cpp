#include "protocol/device_name_codec.h"

#include <climits>
#include <cstring>

#include "protocol/ansi_code_page.h"

int EncodeUtf8Unit(char16_t unit, char out[4])
{
    int n = 1 + (unit > 0x7F) + (unit > 0x7FF);
    switch (n) {
    case 1:
        out[0] = static_cast<char>(unit);
        break;
    case 2:
        out[0] = static_cast<char>(0xC0 | ((unit >> 6) & 0x1F));
        out[1] = static_cast<char>(0x80 | (unit & 0x3F));
        break;
    default:
        out[0] = static_cast<char>(0xE0 | ((unit >> 12) & 0x0F));
        out[1] = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (unit & 0x3F));
        break;
    }
    out[n] = '\0';
    return n;
}

int Utf16ToUtf8(const char16_t* src, int count, char* dst, int capacity)
{
    if (!src || count <= 0)
        return 0;
    int total = 0;
    char scratch[4];
    for (int i = 0; i < count; ++i) {
        int n = EncodeUtf8Unit(src[i], scratch);
        if (total > INT_MAX - n)
            return 0;
        total += n;
        if (dst) {
            if (total > capacity)
                return 0;
            std::memcpy(dst, scratch, n);
            dst += n;
        }
    }
    return total;
}

int DecodeUtf8Sequence(const char* p, int left, char16_t& unit)
{
    if (!p || left <= 0)
        return 0;
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    int length;
    if (b[0] <= 0x7F)
        length = 1;
    else if (b[0] <= 0xBF)
        return 0; // a continuation byte cannot begin a sequence
    else if (b[0] <= 0xDF)
        length = 2;
    else
        length = 3; // F0 to FF too, with their low four bits
    if (length > left)
        return 0;
    switch (length) {
    case 1:
        unit = b[0];
        break;
    case 2:
        unit = static_cast<char16_t>(((b[0] & 0x1F) << 6) + (b[1] & 0x3F));
        break;
    default:
        unit = static_cast<char16_t>(((b[0] & 0x0F) << 12) + ((b[1] & 0x3F) << 6) + (b[2] & 0x3F));
        break;
    }
    return length;
}

int Utf8ToUtf16(const char* src, int len, char16_t* dst, int capacity)
{
    if (!src || len <= 0)
        return 0;
    int units = 0;
    for (int pos = 0; pos < len;) {
        char16_t unit;
        int n = DecodeUtf8Sequence(src + pos, len - pos, unit);
        if (n == 0)
            return 0;
        pos += n;
        if (dst) {
            if (units >= capacity)
                return 0;
            dst[units] = unit;
        }
        ++units;
    }
    return units;
}

bool AnsiToUtf8Name(const std::string& ansiName, std::string& utf8)
{
    const CAnsiCodePage& codePage = CAnsiCodePage::Current();
    const char* text = ansiName.c_str();
    size_t length = std::strlen(text);
    if (length > static_cast<size_t>(INT_MAX))
        return false;
    // Only single-byte characters: a lead byte anywhere, even a lone one at
    // the end, refuses the name.
    for (size_t i = 0; i < length; ++i)
        if (codePage.IsLeadByte(static_cast<unsigned char>(text[i])))
            return false;

    int len = static_cast<int>(length);
    int units = codePage.MultiByteToWideChar(text, len, true, nullptr, 0);
    if (units == 0)
        return false;
    std::u16string wide(units, u'\0');
    if (codePage.MultiByteToWideChar(text, len, false, wide.data(), units) != units)
        return false;

    int bytes = Utf16ToUtf8(wide.data(), units, nullptr, 0);
    if (bytes == 0)
        return false;
    std::string result(bytes, '\0');
    if (Utf16ToUtf8(wide.data(), units, result.data(), bytes) != bytes)
        return false;
    utf8 = std::move(result);
    return true;
}

bool Utf8ToAnsiInPlace(char* buffer)
{
    if (!buffer)
        return false;
    size_t length = std::strlen(buffer);
    if (length > static_cast<size_t>(INT_MAX))
        return false;
    int len = static_cast<int>(length);
    int units = Utf8ToUtf16(buffer, len, nullptr, 0);
    if (units == 0)
        return false;
    std::u16string wide(units, u'\0');
    if (Utf8ToUtf16(buffer, len, wide.data(), units) != units)
        return false;

    // The ANSI text overwrites its source, so it may take no more than the
    // source's bytes; a code page whose characters can run longer than their
    // UTF-8 forms (GB18030's four-byte ones) would otherwise overrun.
    const CAnsiCodePage& codePage = CAnsiCodePage::Current();
    int bytes = codePage.WideCharToMultiByte(wide.data(), units, nullptr, 0);
    if (bytes == 0 || bytes > len)
        return false;
    if (codePage.WideCharToMultiByte(wide.data(), units, buffer, bytes) != bytes)
        return false;
    buffer[bytes] = '\0';
    return true;
}
