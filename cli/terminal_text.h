#pragma once

#include <string>
#include <string_view>

// Text that did not come from apctl itself (a device's name, a port's or a
// maker's name, an argument) made safe to show on a terminal: control
// characters, which could move the cursor or rewrite the screen, are shown
// as escapes, \n, \r, \t, \xHH (or \uHHHH for a C1 control in UTF-8), and a
// backslash as \\ so that what is shown reads back one way only. So are the
// bidirectional controls, which would reorder what is shown around them.
class CTerminalText {
public:
    // text is in the locale's code page; so is the result.
    static std::string Escaped(std::string_view text);
};
