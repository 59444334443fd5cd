#pragma once

#include <cstdio>
#include <functional>
#include <string>

// The PINs of a PIN change, taken where no other user can see them: from
// standard input (a script, the Ansible module) or typed without echo.
class CPinEntry {
public:
    struct Pins {
        std::string current;
        std::string next;
    };
    // Shows prompt, reads one line without showing what is typed; false when
    // the input ended or the wait was interrupted.
    using Ask = std::function<bool(const char* prompt, std::string& line)>;

    // Two lines of in: the PIN in force, then the new one. A line ends at
    // "\n"; a "\r" before it is dropped. The second line may end at the end
    // of the input.
    static bool FromStream(std::FILE* in, Pins& pins, std::string& error);
    // The PIN in force, then the new one twice, as the PIN page asks for it;
    // the two entries of the new one must match.
    static bool FromTerminal(const Ask& ask, Pins& pins, std::string& error);

private:
    // false when in ended before a line (or a part of one) was read.
    static bool ReadLine(std::FILE* in, std::string& line);
};
