#include "protocol/sendable_text.h"

#include <algorithm>

#include "protocol/device_name_codec.h"

bool CSendableText::HasControlCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

CSendableText::EFault CSendableText::CheckPin(std::string_view pin)
{
    if (pin.size() > kMaxPinBytes)
        return EFault::TooLong;
    return HasControlCharacter(pin) ? EFault::ControlCharacter : EFault::None;
}

CSendableText::EFault CSendableText::CheckName(const std::string& ansiName, std::string& utf8)
{
    if (ansiName.size() > kMaxNameChars)
        return EFault::TooLong;
    if (ansiName.empty())
        return EFault::Empty;
    if (HasControlCharacter(ansiName))
        return EFault::ControlCharacter;
    return AnsiToUtf8Name(ansiName, utf8) ? EFault::None : EFault::NotInCodePage;
}
