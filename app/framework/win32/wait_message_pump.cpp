#include "app/framework/win32/wait_message_pump.h"

#include "app/framework/win32/windows_api.h"

#include "serial/reply_wait_hook.h"

namespace {
std::function<uint32_t()>& Clock()
{
    static std::function<uint32_t()> clock;
    return clock;
}

uint32_t Now()
{
    return Clock() ? Clock()() : ::GetTickCount();
}

// The last pass, per thread: a hook runs on whichever thread waits.
thread_local bool t_bPumped = false;
thread_local uint32_t t_lastPass = 0;

// A window that paints nothing keeps its update region only if its
// procedure never validates it; the bound keeps such a window from holding
// the wait.
const int kMostPaints = 64;
}  // namespace

void CWaitMessagePump::Install()
{
    SetReplyWaitHook(&CWaitMessagePump::Run);
}

void CWaitMessagePump::SetClock(std::function<uint32_t()> clock)
{
    Clock() = std::move(clock);
    t_bPumped = false;
}

void CWaitMessagePump::Run()
{
    const uint32_t now = Now();
    if (t_bPumped && now - t_lastPass < kIntervalMs)
        return;
    t_bPumped = true;
    t_lastPass = now;
    Pump();
}

void CWaitMessagePump::Pump()
{
    // Any look at the queue delivers the messages sent to this thread's
    // windows (the system's questions among them) and tells the system the
    // thread is alive; the filter lets only WM_PAINT out of the queue.
    MSG msg;
    for (int i = 0; i < kMostPaints && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
        ::DispatchMessageW(&msg);
}
