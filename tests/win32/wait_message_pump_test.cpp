// The user-interface thread's pass while the access point is awaited: a
// window that needs painting is painted, messages other threads send are
// delivered, and the user's input (and anything else posted) stays in the
// queue for the window's own loop; passes come at most every 50 ms of the
// clock, and a window that never validates cannot hold the wait.
#include <gtest/gtest.h>

#include "app/framework/win32/windows_api.h"

#include <thread>
#include <vector>

#include "app/framework/app_init.h"
#include "app/framework/win32/wait_message_pump.h"
#include "serial/reply_wait_hook.h"

namespace {

struct Seen {
    int paints = 0;
    std::vector<UINT> others;
    bool validates = true;
};
Seen g_seen;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        ++g_seen.paints;
        if (!g_seen.validates)
            return 0;  // leaves the update region: WM_PAINT comes again
        PAINTSTRUCT paint;
        ::BeginPaint(hWnd, &paint);
        ::EndPaint(hWnd, &paint);
        return 0;
    }
    if (message == WM_KEYDOWN || message == WM_LBUTTONDOWN || message == WM_CHAR || message >= WM_APP)
        g_seen.others.push_back(message);
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

class Win32WaitMessagePumpTest : public testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &RecordingProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"apconfig.test.pump";
        ::RegisterClassW(&windowClass);
        m_hWnd = ::CreateWindowExW(0, L"apconfig.test.pump", L"pump", WS_OVERLAPPEDWINDOW, 10, 10, 200, 120, nullptr,
                                   nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(m_hWnd, nullptr);
        ::ShowWindow(m_hWnd, SW_SHOWNA);
        // Whatever showing brought is handled before the case starts.
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::UpdateWindow(m_hWnd);
        g_seen = Seen();
    }
    void TearDown() override
    {
        CWaitMessagePump::SetClock(nullptr);
        ::DestroyWindow(m_hWnd);
    }
    bool NeedsPaint() const { return ::GetUpdateRect(m_hWnd, nullptr, FALSE); }
    bool Queued(UINT message) const
    {
        MSG msg;
        return ::PeekMessageW(&msg, m_hWnd, message, message, PM_NOREMOVE);
    }

    HWND m_hWnd = nullptr;
};

TEST_F(Win32WaitMessagePumpTest, PaintsAndTakesSentMessagesButLeavesInputQueued)
{
    ::PostMessageW(m_hWnd, WM_KEYDOWN, VK_RETURN, 0);
    ::PostMessageW(m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageW(m_hWnd, WM_APP, 0, 0);  // a posted message of the program's own
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    // A message another thread sends waits until this thread looks at its queue.
    std::thread sender([hWnd = m_hWnd] { ::SendMessageW(hWnd, WM_APP + 1, 0, 0); });
    while (!::GetQueueStatus(QS_SENDMESSAGE))
        std::this_thread::yield();

    CWaitMessagePump::Pump();
    sender.join();

    EXPECT_EQ(g_seen.paints, 1);
    EXPECT_FALSE(NeedsPaint());
    EXPECT_EQ(g_seen.others, (std::vector<UINT>{WM_APP + 1})) << "only the sent message was handled";
    EXPECT_TRUE(Queued(WM_KEYDOWN));
    EXPECT_TRUE(Queued(WM_LBUTTONDOWN));
    EXPECT_TRUE(Queued(WM_APP));
}

TEST_F(Win32WaitMessagePumpTest, NothingToDoTouchesNothing)
{
    ::PostMessageW(m_hWnd, WM_CHAR, 'a', 0);
    CWaitMessagePump::Pump();
    EXPECT_EQ(g_seen.paints, 0);
    EXPECT_TRUE(g_seen.others.empty());
    EXPECT_TRUE(Queued(WM_CHAR));
}

TEST_F(Win32WaitMessagePumpTest, AWindowThatNeverValidatesCannotHoldTheWait)
{
    g_seen.validates = false;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    CWaitMessagePump::Pump();  // returns
    EXPECT_GE(g_seen.paints, 1);
    EXPECT_LE(g_seen.paints, 64);
}

TEST_F(Win32WaitMessagePumpTest, TheStartInstallsItAndItPassesAtMostEveryFiftyMilliseconds)
{
    ASSERT_TRUE(AfxWinInit(nullptr, nullptr));
    const ReplyWaitHook installed = SetReplyWaitHook(nullptr);
    EXPECT_EQ(installed, &CWaitMessagePump::Run);
    SetReplyWaitHook(installed);

    struct Step {
        uint32_t now;
        bool painted;
    };
    // From just before the clock wraps: the interval counts across it.
    const Step steps[] = {{0xFFFFFFE0u, true}, {0xFFFFFFF0u, false}, {0x0000000Fu, false}, {0x00000012u, true},
                          {0x00000013u, false}, {0x00000044u, true}};
    uint32_t now = 0;
    CWaitMessagePump::SetClock([&now] { return now; });
    for (const Step& step : steps) {
        now = step.now;
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        const int before = g_seen.paints;
        RunReplyWaitHook();
        EXPECT_EQ(g_seen.paints > before, step.painted) << std::hex << step.now;
        EXPECT_EQ(NeedsPaint(), !step.painted) << std::hex << step.now;
        ::ValidateRect(m_hWnd, nullptr);
    }
}

}  // namespace
