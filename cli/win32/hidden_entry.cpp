#include "cli/hidden_entry.h"

#include <windows.h>

#include <cstdio>

bool CHiddenEntry::InputIsTerminal()
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool CHiddenEntry::Ask(const char* prompt, std::string& line)
{
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD shown = 0;
    if (!::GetConsoleMode(input, &shown))
        return false;
    // Line input without echo; Ctrl+C stays a signal (processed input).
    ::SetConsoleMode(input, (shown & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT |
                                ENABLE_PROCESSED_INPUT);
    std::wstring typed;
    bool ended = false;
    for (;;) {
        wchar_t c = 0;
        DWORD read = 0;
        // Ctrl+C ends the read with nothing read; so does a closed console.
        if (!::ReadConsoleW(input, &c, 1, &read, nullptr) || read == 0) {
            ended = true;
            break;
        }
        if (c == L'\n')
            break;
        if (c != L'\r')
            typed.push_back(c);
    }
    ::SetConsoleMode(input, shown);
    // Nothing was echoed, the line's end included.
    std::fputc('\n', stderr);
    // PINs are sent in the ANSI code page, as the arguments come.
    line.clear();
    if (!typed.empty()) {
        const int size = ::WideCharToMultiByte(CP_ACP, 0, typed.data(), static_cast<int>(typed.size()), nullptr, 0,
                                               nullptr, nullptr);
        line.resize(static_cast<size_t>(size));
        ::WideCharToMultiByte(CP_ACP, 0, typed.data(), static_cast<int>(typed.size()), line.data(), size, nullptr,
                              nullptr);
    }
    return !ended;
}
