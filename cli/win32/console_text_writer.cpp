#include "cli/console_text_writer.h"

#include <windows.h>
#include <io.h>

#include <string>

#include "protocol/ansi_code_page.h"
#include "serial/wide_text.h"

namespace {
std::FILE* g_utf8Stream = nullptr;
}  // namespace

void CConsoleTextWriter::SetTextIsUtf8(std::FILE* stream, bool utf8)
{
    if (utf8)
        g_utf8Stream = stream;
    else if (g_utf8Stream == stream)
        g_utf8Stream = nullptr;
}

bool CConsoleTextWriter::Write(std::FILE* stream, std::string_view text)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    DWORD mode = 0;
    if (text.empty() || !::GetConsoleMode(handle, &mode))
        return std::fwrite(text.data(), 1, text.size(), stream) == text.size() && std::fflush(stream) == 0 &&
               !std::ferror(stream);
    // What the stream still holds goes first.
    if (std::fflush(stream) != 0)
        return false;
    const std::wstring wide =
        Utf8ToUtf16(stream == g_utf8Stream ? std::string(text) : CAnsiCodePage::Current().ToUtf8(std::string(text)));
    if (wide.empty())
        return false;
    for (size_t done = 0; done < wide.size();) {
        DWORD written = 0;
        if (!::WriteConsoleW(handle, wide.data() + done, DWORD(wide.size() - done), &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}
