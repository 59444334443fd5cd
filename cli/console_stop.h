#pragma once

#include <atomic>

// What apctl's console control handler (Windows) makes of an event, apart
// from the API so that it can be judged anywhere. The handler runs on a
// thread the system starts for the event; the system ends the process once
// a handler returns from a close, logoff or shutdown event, and calls the
// next handler (in the end ExitProcess) when one returns FALSE.
class CConsoleStop {
public:
    enum class EEvent { CtrlC, CtrlBreak, Close, Logoff, Shutdown };
    struct Decision {
        // Returned to the system: TRUE, the event is taken care of.
        bool handled;
        // Hold the handler thread (at most kGraceMs): the process ends as
        // it returns, and the run must first close the conversation.
        bool holdUntilExit;
    };
    // Less than the 5 s the system grants a close event's handler.
    static constexpr unsigned kGraceMs = 4500;

    // The first event sets status (130 for Ctrl+C, else 143) and is
    // handled; any later one is not, so the system ends the process at once.
    static Decision On(EEvent event, std::atomic<int>& status);
};
