#include "app/framework/wait_cursor.h"

#include "app/framework/win32/windows_api.h"

#include "app/framework/dialog.h"

CWaitCursor::CWaitCursor(CDialog* pDialog)
{
    Cover(pDialog ? pDialog->GetSafeHwnd() : nullptr);
}

CWaitCursor::CWaitCursor(void* hWnd)
{
    Cover(hWnd);
}

void CWaitCursor::Cover(void* hWnd)
{
    HWND window = static_cast<HWND>(hWnd);
    if (!window)
        return;
    // Nothing runs the message loop during the wait: the window is painted
    // now, and the cursor stays as set, since no WM_SETCURSOR is handled.
    ::RedrawWindow(::GetAncestor(window, GA_ROOT), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    m_hPrevious = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    m_bActive = true;
}

CWaitCursor::~CWaitCursor()
{
    if (!m_bActive)
        return;
    ::SetCursor(static_cast<HCURSOR>(m_hPrevious));
    // The windows under the pointer set their own cursor again.
    POINT at;
    if (::GetCursorPos(&at))
        ::SetCursorPos(at.x, at.y);
}
