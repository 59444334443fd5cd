#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Fills a string-table format: %1 to %9 take the arguments in turn, %% is a
// percent sign; a number with no argument, or any other %, stays as written.
// Works on bytes, so UTF-8 formats and arguments pass through unchanged.
std::string Compose(std::string_view format, std::initializer_list<std::string_view> args);

inline std::string Compose(std::string_view format, int n)
{
    return Compose(format, {std::to_string(n)});
}
