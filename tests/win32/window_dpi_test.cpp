// Sizes at the window's dpi: pixel sizes scale from 96, the paired devices
// list's columns are made for the dpi of its window and follow a move to a
// monitor of another, the window takes the rectangle the system suggests,
// and the tab's pages follow the tab. The dpi is the test's own (the
// program asks the system per window; a real second monitor is not here).
#include <gtest/gtest.h>

#include "app/framework/win32/windows_api.h"

#include <algorithm>
#include <functional>

#include "app/framework/app_init.h"
#include "app/framework/dialog.h"
#include "app/framework/list_view.h"
#include "app/framework/resource_library.h"
#include "app/framework/tab_ctrl.h"
#include "app/framework/win32/window_dpi.h"
#include "app/resource_ids.h"

namespace {

HWND Hwnd(void* handle)
{
    return static_cast<HWND>(handle);
}

class CBodyDlg : public CDialog {
public:
    CBodyDlg(int id, std::function<void(CBodyDlg&)> body) : CDialog(id), m_body(std::move(body)) {}

protected:
    BOOL OnInitDialog() override
    {
        m_body(*this);
        EndDialog(IDOK);
        return TRUE;
    }

private:
    std::function<void(CBodyDlg&)> m_body;
};

class Win32WindowDpiTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(CResourceLibrary::Load());
        ASSERT_TRUE(AfxWinInit(nullptr, nullptr));
    }
    void SetUp() override
    {
        CWindowDpi::SetSource([this](void*) { return m_dpi; });
    }
    void TearDown() override { CWindowDpi::SetSource(nullptr); }

    unsigned m_dpi = 96;
};

TEST_F(Win32WindowDpiTest, PixelsScaleFromNinetySix)
{
    const struct {
        int pixels;
        unsigned dpi;
        int scaled;
    } cases[] = {{100, 96, 100}, {100, 120, 125}, {100, 144, 150}, {100, 192, 200}, {4, 144, 6}, {4, 120, 5},
                 {0, 144, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(CWindowDpi::Scale(c.pixels, c.dpi), c.scaled) << c.pixels << " at " << c.dpi;
    CWindowDpi::SetSource(nullptr);
    EXPECT_GE(CWindowDpi::Of(nullptr), 96u) << "the system's own answer";
}

TEST_F(Win32WindowDpiTest, ListColumnsAreMadeForTheWindowsDpiAndFollowAChange)
{
    CDialog page(0);
    CBodyDlg main(IDD_MAIN, [&](CBodyDlg& self) {
        ASSERT_TRUE(page.Create(IDD_LINK_PAGE, &self));
        HWND list = Hwnd(page.GetDlgItem(IDC_LINK_LIST));
        // Narrow enough that the least width of an address counts at 144
        // and not at 96.
        ::SetWindowPos(list, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client;
        ::GetClientRect(list, &client);
        const int width = client.right;
        ASSERT_GT(width * 2 / 5, 100);
        ASSERT_LT(width * 2 / 5, 150);
        for (unsigned dpi : {96u, 144u}) {
            m_dpi = dpi;
            CListView view;
            ::SendMessageW(list, LVM_DELETECOLUMN, 0, 0);
            ::SendMessageW(list, LVM_DELETECOLUMN, 0, 0);
            ASSERT_TRUE(view.Attach(&page, IDC_LINK_LIST));
            const int first = std::max(width * 2 / 5, CWindowDpi::Scale(100, dpi));
            EXPECT_EQ(ListView_GetColumnWidth(list, 0), first) << dpi;
            EXPECT_EQ(ListView_GetColumnWidth(list, 1), width - first - CWindowDpi::Scale(4, dpi)) << dpi;
            if (dpi != 144)
                continue;
            // The window moved to a monitor at 192: the columns keep their share.
            const int before[] = {ListView_GetColumnWidth(list, 0), ListView_GetColumnWidth(list, 1)};
            m_dpi = 192;
            ::SendMessageW(list, 0x02E3 /* WM_DPICHANGED_AFTERPARENT */, 0, 0);
            // Rounded to the nearest pixel.
            EXPECT_EQ(ListView_GetColumnWidth(list, 0), (before[0] * 192 + 72) / 144);
            EXPECT_EQ(ListView_GetColumnWidth(list, 1), (before[1] * 192 + 72) / 144);
            // Told again at the same dpi, nothing grows.
            ::SendMessageW(list, 0x02E3, 0, 0);
            EXPECT_EQ(ListView_GetColumnWidth(list, 0), (before[0] * 192 + 72) / 144);
        }
    });
    EXPECT_EQ(main.DoModal(), IDOK);
}

TEST_F(Win32WindowDpiTest, TheWindowTakesTheSuggestedRectangleAndThePagesFollowTheTab)
{
    CDialog page(0);
    CTabCtrl tab;
    CBodyDlg main(IDD_MAIN, [&](CBodyDlg& self) {
        HWND hWnd = Hwnd(self.GetSafeHwnd());
        RECT suggested{40, 30, 40 + 700, 30 + 520};
        ::SendMessageW(hWnd, WM_DPICHANGED, MAKEWPARAM(144, 144), LPARAM(&suggested));
        RECT now;
        ::GetWindowRect(hWnd, &now);
        EXPECT_EQ(now.left, suggested.left);
        EXPECT_EQ(now.top, suggested.top);
        EXPECT_EQ(now.right - now.left, suggested.right - suggested.left);
        EXPECT_EQ(now.bottom - now.top, suggested.bottom - suggested.top);

        ASSERT_TRUE(tab.Attach(&self, IDC_TAB));
        ASSERT_TRUE(page.Create(IDD_PIN_PAGE, &self));
        tab.InsertItem(0, "PIN Code", &page);
        // The dialog manager moves and resizes the controls for the new dpi.
        HWND control = Hwnd(tab.GetSafeHwnd());
        ::SetWindowPos(control, nullptr, 12, 14, 480, 360, SWP_NOZORDER | SWP_NOACTIVATE);
        RECT area;
        ::GetWindowRect(control, &area);
        TabCtrl_AdjustRect(control, FALSE, &area);
        ::MapWindowPoints(nullptr, hWnd, reinterpret_cast<POINT*>(&area), 2);
        RECT placed;
        ::GetWindowRect(Hwnd(page.GetSafeHwnd()), &placed);
        ::MapWindowPoints(nullptr, hWnd, reinterpret_cast<POINT*>(&placed), 2);
        EXPECT_EQ(placed.left, area.left);
        EXPECT_EQ(placed.top, area.top);
        EXPECT_EQ(placed.right, area.right);
        EXPECT_EQ(placed.bottom, area.bottom);
    });
    EXPECT_EQ(main.DoModal(), IDOK);
}

// The test carries apconfig.exe's manifest: the loader reads the program's
// awareness from it (nothing in the code sets it). Version 2 is per-monitor
// awareness as GetAwarenessFromDpiAwarenessContext reports it; which
// version a system takes shows only on Windows.
TEST_F(Win32WindowDpiTest, TheManifestMakesTheProgramPerMonitorAware)
{
    using GetContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)();
    using AwarenessFn = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    const auto get = reinterpret_cast<GetContextFn>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    const auto awareness = reinterpret_cast<AwarenessFn>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    ASSERT_TRUE(get && awareness);
    EXPECT_EQ(awareness(get()), DPI_AWARENESS_PER_MONITOR_AWARE);
}

}  // namespace
