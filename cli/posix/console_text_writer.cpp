#include "cli/console_text_writer.h"

// A terminal takes the locale's bytes as they are.
void CConsoleTextWriter::SetTextIsUtf8(std::FILE*, bool) {}

bool CConsoleTextWriter::Write(std::FILE* stream, std::string_view text)
{
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0 &&
           !std::ferror(stream);
}
