#include "cli/terminal_text.h"

#include <cstdio>

#include "cli/hidden_control.h"
#include "protocol/ansi_code_page.h"

namespace {
std::string Hex(const char* format, unsigned value)
{
    char escape[8];
    std::snprintf(escape, sizeof escape, format, value);
    return escape;
}

// Whether byte stands for a C1 control (U+0080 to U+009F) or a
// bidirectional mark in a single-byte code page: in ISO 8859 0x9B is CSI, in
// CP1252 it is a printable character, in CP1255 0xFD is U+200E.
bool IsSingleByteHidden(const CAnsiCodePage& codePage, unsigned char byte)
{
    const char c = static_cast<char>(byte);
    char16_t unit = 0;
    return codePage.MultiByteToWideChar(&c, 1, true, &unit, 1) == 1 && CHiddenControl::Is(unit);
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
        } else if (char32_t hidden = 0; utf8 && CHiddenControl::InUtf8(text, i, &hidden) != 0) {
            shown += Hex("\\u%04x", static_cast<unsigned>(hidden));
            i += CHiddenControl::InUtf8(text, i, nullptr) - 1;
        } else if (byte >= 0x80 && codePage.IsLeadByte(byte) && i + 1 < text.size()) {
            // A double-byte character whole: its second byte may be a '\\'.
            shown += text.substr(i++, 2);
        } else if (byte >= 0x80 && !utf8 && IsSingleByteHidden(codePage, byte)) {
            shown += Hex("\\x%02x", byte);
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}
