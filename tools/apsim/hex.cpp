#include "tools/apsim/hex.h"

#include <charconv>

std::string ToHex(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::optional<std::string> FromHex(std::string_view digits)
{
    if (digits.size() % 2 != 0)
        return std::nullopt;
    std::string bytes;
    bytes.reserve(digits.size() / 2);
    for (size_t i = 0; i < digits.size(); i += 2) {
        unsigned value = 0;
        const char* first = digits.data() + i;
        auto [end, error] = std::from_chars(first, first + 2, value, 16);
        if (error != std::errc() || end != first + 2)
            return std::nullopt;
        bytes += static_cast<char>(value);
    }
    return bytes;
}
