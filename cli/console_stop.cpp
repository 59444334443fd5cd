#include "cli/console_stop.h"

CConsoleStop::Decision CConsoleStop::On(EEvent event, std::atomic<int>& status)
{
    int none = 0;
    if (!status.compare_exchange_strong(none, event == EEvent::CtrlC ? 130 : 143))
        return {false, false};
    // Ctrl+C and Ctrl+Break leave the process running once handled.
    return {true, event != EEvent::CtrlC && event != EEvent::CtrlBreak};
}
