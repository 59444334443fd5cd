#include "cli/pin_entry.h"

#include "cli/apctl_string_ids.h"
#include "cli/apctl_text.h"

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
        error = CApctlText::Get(IDS_APCTL_STDIN_TWO_LINES);
        return false;
    }
    return true;
}

bool CPinEntry::FromTerminal(const Ask& ask, Pins& pins, std::string& error)
{
    std::string again;
    if (!ask(CApctlText::Get(IDS_APCTL_ASK_CURRENT_PIN).c_str(), pins.current) ||
        !ask(CApctlText::Get(IDS_APCTL_ASK_NEW_PIN).c_str(), pins.next) ||
        !ask(CApctlText::Get(IDS_APCTL_ASK_NEW_PIN_AGAIN).c_str(), again)) {
        error = CApctlText::Get(IDS_APCTL_NO_PIN_ENTERED);
        return false;
    }
    if (again != pins.next) {
        error = CApctlText::Get(IDS_APCTL_NEW_PINS_DIFFER);
        return false;
    }
    return true;
}
