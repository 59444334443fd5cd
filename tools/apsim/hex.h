#pragma once

#include <optional>
#include <string>
#include <string_view>

// Bytes as lower-case hexadecimal digits, two per byte.
std::string ToHex(std::string_view bytes);
// The bytes an even run of hexadecimal digits (either case) stands for;
// nullopt for anything else.
std::optional<std::string> FromHex(std::string_view digits);
