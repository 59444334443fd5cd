#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// apctl's own words, from the string table by number (cli/apctl_string_ids.h)
// in the language of the table, turned into the locale's code page as the
// terminal shows it (when that code page holds it); %1, %2... take the
// arguments, which are in that code page already.
class CApctlText {
public:
    // A number the table does not hold (no resource library) gives the number
    // in brackets, then the arguments: never an empty message.
    static std::string Get(int id, std::initializer_list<std::string_view> args = {});
    // "a, b and c", in the table's words for joining a list.
    static std::string List(const std::vector<std::string>& items);
};
