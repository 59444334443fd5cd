#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 as the programs check, repair and measure it, the same on every
// platform. Valid means well-formed (no overlong forms, surrogates or code
// points past U+10FFFF) and free of NUL bytes.
class CUtf8Text {
public:
    static bool IsValid(std::string_view text);
    // Each byte that begins no valid character becomes U+FFFD.
    static std::string MadeValid(std::string_view text);
    // Windows-1252 bytes as UTF-8; false (and out untouched) when a byte has
    // no character there (0x81, 0x8D, 0x8F, 0x90, 0x9D).
    static bool FromWindows1252(std::string_view text, std::string& out);
    // Characters (code points) in valid text.
    static size_t Length(std::string_view text);
    // Control (Cc) and format (Cf) characters, and bytes that begin no valid
    // character, each become replacement.
    static std::string Printable(std::string_view text, char replacement);
    // The character text begins with at position i: its length in bytes, 0
    // when the bytes there form none; the code point in *codePoint.
    static size_t Decode(std::string_view text, size_t i, char32_t* codePoint);
    static void Append(std::string& out, char32_t codePoint);
};
