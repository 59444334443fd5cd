#pragma once

#include <string>
#include <string_view>

// What may go on the wire as a PIN or a device name. Each of them travels as
// one line ended by a line feed, so a control character inside would end the
// line early (or start a command of its own): such text is never sent.
class CSendableText {
public:
    // Bytes of a PIN edit, and characters of the name entry (single-byte
    // characters of the code page, so bytes as well).
    static constexpr int kMaxPinBytes = 16;
    static constexpr int kMaxNameChars = 20;

    enum class EFault { None, TooLong, Empty, ControlCharacter, NotInCodePage };

    // Whether text holds a C0 control (0x00 to 0x1F: line feed, carriage
    // return, NUL, escape...) or DEL. Bytes of 0x80 and above are never one
    // in any code page the codec takes.
    static bool HasControlCharacter(std::string_view text);
    // A PIN as typed, in the code page: at most kMaxPinBytes; may be empty.
    static EFault CheckPin(std::string_view pin);
    // A name as typed, in the code page; on None utf8 holds its wire form
    // (AnsiToUtf8Name's rules), otherwise it is left alone.
    static EFault CheckName(const std::string& ansiName, std::string& utf8);
};
