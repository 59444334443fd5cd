#include "cli/pin_entry.h"

bool CPinEntry::ReadLine(std::FILE* in, std::string& line)
{
    line.clear();
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(in)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        line.push_back(static_cast<char>(c));
    }
    // Written on Windows, or by a script that wrote CRLF.
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any;
}

bool CPinEntry::FromStream(std::FILE* in, Pins& pins, std::string& error)
{
    if (!ReadLine(in, pins.current) || !ReadLine(in, pins.next)) {
        error = "--pins-from-stdin: standard input must hold the current PIN on its first line and the new "
                "one on its second";
        return false;
    }
    return true;
}

bool CPinEntry::FromTerminal(const Ask& ask, Pins& pins, std::string& error)
{
    std::string again;
    if (!ask("Current PIN: ", pins.current) || !ask("New PIN: ", pins.next) ||
        !ask("New PIN again: ", again)) {
        error = "no PIN was entered";
        return false;
    }
    if (again != pins.next) {
        error = "the two entries of the new PIN differ; nothing was changed";
        return false;
    }
    return true;
}
