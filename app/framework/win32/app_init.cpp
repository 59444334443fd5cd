#include "app/framework/app_init.h"

#include "app/framework/win32/windows_api.h"

#include "app/framework/dialog.h"
#include "app/framework/win32/wait_message_pump.h"

bool AfxWinInit(int*, char***, std::string* pWhy)
{
    // Painted and answering while the access point is awaited.
    CWaitMessagePump::Install();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    if (::InitCommonControlsEx(&controls))
        return true;
    if (pWhy)
        *pWhy = "the common controls could not be registered";
    return false;
}

void BringWindowsToFront()
{
    CDialog* main = CDialog::GetMainWnd();
    HWND hWnd = main ? static_cast<HWND>(main->GetSafeHwnd()) : nullptr;
    if (!hWnd)
        return;
    // The window the user would work in: the last one it enabled (a modal
    // dialog or message box above it), else itself.
    HWND target = ::GetLastActivePopup(hWnd);
    if (::IsIconic(hWnd))
        ::ShowWindow(hWnd, SW_RESTORE);
    ::SetForegroundWindow(target ? target : hWnd);
}
