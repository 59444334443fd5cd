// apctl's console control handler against a model of how Windows calls such
// handlers, as SetConsoleCtrlHandler and HandlerRoutine document it: the
// handlers are called last registered first, each event on a thread of its
// own; TRUE ends the search, FALSE passes the event on, and the last handler
// is the default one, which calls ExitProcess. After a close, logoff or
// shutdown event the system ends the process once the handler returns, or
// after 5 seconds at most for a close event.
#include "cli/console_stop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace {
using E = CConsoleStop::EEvent;

class CConsoleModel {
public:
    struct Outcome {
        bool ended = false;
        // How long the handler's thread was held before the process ended
        // or went on.
        unsigned heldMs = 0;
    };

    explicit CConsoleModel(std::atomic<int>& status) : m_status(status) {}

    Outcome Raise(E event)
    {
        Outcome outcome;
        if (m_ended)
            return {true, 0};
        // apctl's handler, the only one registered, comes before the default.
        const CConsoleStop::Decision decision = CConsoleStop::On(event, m_status);
        if (decision.holdUntilExit)
            outcome.heldMs = CConsoleStop::kGraceMs;
        const bool endsOnReturn = event == E::Close || event == E::Logoff || event == E::Shutdown;
        // FALSE: the default handler's ExitProcess.
        outcome.ended = !decision.handled || endsOnReturn;
        m_ended = outcome.ended;
        return outcome;
    }

private:
    std::atomic<int>& m_status;
    bool m_ended = false;
};

TEST(ConsoleStop, TheFirstEventIsNotedAndTheRunGivenTimeToCloseTheConversation)
{
    struct Step {
        E event;
        bool ended;
        bool held;
    };
    struct Row {
        const char* what;
        std::vector<Step> steps;
        int status;
    };
    const Row rows[] = {
        {"Ctrl+C", {{E::CtrlC, false, false}}, 130},
        {"Ctrl+C twice: the second ends the process at once", {{E::CtrlC, false, false}, {E::CtrlC, true, false}}, 130},
        {"Ctrl+Break", {{E::CtrlBreak, false, false}}, 143},
        {"the console closed", {{E::Close, true, true}}, 143},
        {"closed after Ctrl+C: no second wait", {{E::CtrlC, false, false}, {E::Close, true, false}}, 130},
        {"logoff", {{E::Logoff, true, true}}, 143},
        {"shutdown", {{E::Shutdown, true, true}}, 143},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::atomic<int> status{0};
        CConsoleModel console(status);
        for (const Step& step : row.steps) {
            const CConsoleModel::Outcome outcome = console.Raise(step.event);
            EXPECT_EQ(outcome.ended, step.ended);
            EXPECT_EQ(outcome.heldMs != 0, step.held);
        }
        EXPECT_EQ(status.load(), row.status);
    }
    // Within what the system grants a close event's handler.
    EXPECT_LT(CConsoleStop::kGraceMs, 5000u);
}

}  // namespace
