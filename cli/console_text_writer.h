#pragma once

#include <cstdio>
#include <string_view>

// apctl's text to a standard stream. A Windows console is handed it as
// UTF-16, so that it shows every language whatever the console's own code
// page; a file or a pipe gets the bytes as they are, so redirected text and
// JSON never change.
class CConsoleTextWriter {
public:
    // The text for stream from here on is UTF-8 (JSON) or, as every other
    // stream's, in the locale's code page.
    static void SetTextIsUtf8(std::FILE* stream, bool utf8);
    // Writes all of text and flushes; false when any of it may not have gone
    // out.
    static bool Write(std::FILE* stream, std::string_view text);
};
