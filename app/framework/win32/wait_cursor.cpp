#include "app/framework/wait_cursor.h"

#include "app/framework/win32/windows_api.h"

#include "app/framework/dialog.h"

// The cursor the busy one replaced; none while no window is covered.
struct CWaitCursor::Impl {
    HCURSOR hPrevious = nullptr;
};

CWaitCursor::CWaitCursor(CDialog* pDialog) : CWaitCursor(pDialog ? pDialog->GetSafeHwnd() : nullptr) {}

CWaitCursor::CWaitCursor(void* hWnd)
{
    HWND window = static_cast<HWND>(hWnd);
    if (!window)
        return;
    // Nothing runs the message loop during the wait: the window is painted
    // now, and the cursor stays as set, since no WM_SETCURSOR is handled.
    ::RedrawWindow(::GetAncestor(window, GA_ROOT), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    m_pImpl = std::make_unique<Impl>();
    m_pImpl->hPrevious = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
}

CWaitCursor::~CWaitCursor()
{
    if (!m_pImpl)
        return;
    ::SetCursor(m_pImpl->hPrevious);
    // The windows under the pointer set their own cursor again.
    POINT at;
    if (::GetCursorPos(&at))
        ::SetCursorPos(at.x, at.y);
}
