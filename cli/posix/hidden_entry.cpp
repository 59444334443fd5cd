#include "cli/hidden_entry.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>

bool CHiddenEntry::InputIsTerminal()
{
    return isatty(STDIN_FILENO) == 1;
}

bool CHiddenEntry::Ask(const char* prompt, std::string& line)
{
    termios shown {};
    const bool terminal = tcgetattr(STDIN_FILENO, &shown) == 0;
    if (terminal) {
        termios hidden = shown;
        // The line is still edited (erase, kill) by the terminal; only not
        // shown. ECHONL: the Enter still ends the line on screen.
        hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK);
        hidden.c_lflag |= ECHONL;
        // Before the prompt: what is typed once it shows is never echoed.
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    std::fputs(prompt, stderr);
    std::fflush(stderr);
    line.clear();
    bool ended = false;
    for (;;) {
        char c = 0;
        // Read unbuffered: nothing typed ahead is kept from the next prompt.
        // A signal (no SA_RESTART) ends the wait with EINTR.
        if (read(STDIN_FILENO, &c, 1) != 1) {
            ended = true;
            break;
        }
        if (c == '\n')
            break;
        line.push_back(c);
    }
    if (terminal)
        tcsetattr(STDIN_FILENO, TCSANOW, &shown);
    if (ended)
        std::fputc('\n', stderr);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return !ended;
}
