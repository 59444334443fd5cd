#include "serial/system_error_text.h"

#include <windows.h>

#include <string_view>

#include "serial/wide_text.h"

std::string SystemErrorText(int error)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring wide = length != 0 && text ? std::wstring(text, length) : std::wstring();
    if (text)
        ::LocalFree(text);
    // The system ends its texts with a full stop and a line break.
    while (!wide.empty() && std::wstring_view(L"\r\n .").find(wide.back()) != std::wstring_view::npos)
        wide.pop_back();
    if (wide.empty())
        return "error " + std::to_string(error);
    return Utf16ToUtf8(wide);
}
