#pragma once

#include <string>

// A line typed on the terminal standard input is, without echo: the
// terminal shows it again as it was once the line is in, or the wait ended.
class CHiddenEntry {
public:
    static bool InputIsTerminal();
    // Writes prompt on the terminal (standard error), reads one line without
    // echo and ends the terminal's line. False when the input ended or a
    // signal ended the wait.
    static bool Ask(const char* prompt, std::string& line);
};
