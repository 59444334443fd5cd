#include "cli/process_setup.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "cli/console_stop.h"
#include "cli/console_text_writer.h"

namespace {
UINT g_consoleCodePage = 0;
std::atomic<int> g_interruption{0};

// Runs on a thread of its own.
BOOL WINAPI NoteInterruption(DWORD event)
{
    using E = CConsoleStop::EEvent;
    const E which = event == CTRL_C_EVENT       ? E::CtrlC
                    : event == CTRL_BREAK_EVENT ? E::CtrlBreak
                    : event == CTRL_LOGOFF_EVENT ? E::Logoff
                    : event == CTRL_SHUTDOWN_EVENT ? E::Shutdown
                                                   : E::Close;
    const CConsoleStop::Decision decision = CConsoleStop::On(which, g_interruption);
    // The run's exit ends this wait too.
    if (decision.holdUntilExit)
        ::Sleep(CConsoleStop::kGraceMs);
    return decision.handled ? TRUE : FALSE;
}

void RestoreConsoleCodePage()
{
    if (g_consoleCodePage != 0)
        ::SetConsoleOutputCP(g_consoleCodePage);
}

bool IsConsole(DWORD stream)
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(stream), &mode) != 0;
}
}  // namespace

ProcessStart PrepareProcess()
{
    ProcessStart start;
    // A handle the program was started without is not one a port can take
    // on Windows; writing to it fails and says so.
    start.outClosed = ::GetStdHandle(STD_OUTPUT_HANDLE) == nullptr;
    // The same bytes as on every platform: line feeds are not widened.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    start.errIsTerminal = IsConsole(STD_ERROR_HANDLE);
    if (start.errIsTerminal) {
        // The progress line is redrawn with the terminal's escapes.
        const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
        DWORD mode = 0;
        ::GetConsoleMode(err, &mode);
        if (!::SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
            start.errIsTerminal = false;
    }
    // The conversation is ended, not abandoned: the device would go on
    // sending into the next run's identification.
    ::SetConsoleCtrlHandler(NoteInterruption, TRUE);
    // Arguments come in the ANSI code page, as the C library's locale has it.
    std::setlocale(LC_ALL, "");
    return start;
}

int InterruptionStatus()
{
    return g_interruption.load();
}

void PrepareResources() {}

// A console shows its own code page (an OEM one by default), not the ANSI
// code page apctl's text is in: it is switched to the text's for the run and
// back at the end.
void ShowTextAs(bool utf8)
{
    // Only the answer is JSON; the messages stay in the code page.
    CConsoleTextWriter::SetTextIsUtf8(stdout, utf8);
    if (!IsConsole(STD_OUTPUT_HANDLE) && !IsConsole(STD_ERROR_HANDLE))
        return;
    if (g_consoleCodePage == 0) {
        g_consoleCodePage = ::GetConsoleOutputCP();
        std::atexit(RestoreConsoleCodePage);
    }
    ::SetConsoleOutputCP(utf8 ? CP_UTF8 : ::GetACP());
}
