#include "cli/terminal_text.h"

#include <cstdio>

#include "ansi_code_page.h"

namespace {
std::string Hex(const char* format, unsigned value)
{
    char escape[8];
    std::snprintf(escape, sizeof escape, format, value);
    return escape;
}

// Whether byte stands for a C1 control (U+0080 to U+009F) in a single-byte
// code page: in ISO 8859 it does, in CP1252 it is a printable character.
bool IsSingleByteC1(const CAnsiCodePage& codePage, unsigned char byte)
{
    const char c = static_cast<char>(byte);
    char16_t unit = 0;
    return codePage.MultiByteToWideChar(&c, 1, true, &unit, 1) == 1 && unit >= 0x80 && unit <= 0x9F;
}
}  // namespace

std::string CTerminalText::Escaped(std::string_view text)
{
    const CAnsiCodePage& codePage = CAnsiCodePage::Current();
    const bool utf8 = codePage.Name() == "UTF-8";
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n' || byte == '\r' || byte == '\t' || byte == '\\') {
            shown += byte == '\n' ? "\\n" : byte == '\r' ? "\\r" : byte == '\t' ? "\\t" : "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            shown += Hex("\\x%02x", byte);
        } else if (utf8 && byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80) {
            shown += Hex("\\u%04x", static_cast<unsigned char>(text[++i]));
        } else if (byte >= 0x80 && codePage.IsLeadByte(byte) && i + 1 < text.size()) {
            // A double-byte character whole: its second byte may be a '\\'.
            shown += text.substr(i++, 2);
        } else if (byte >= 0x80 && !utf8 && IsSingleByteC1(codePage, byte)) {
            shown += Hex("\\x%02x", byte);
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}
