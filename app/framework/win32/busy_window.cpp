#include "app/framework/busy_window.h"

#include "app/framework/win32/windows_api.h"

#include "app/framework/dialog.h"
#include "app/framework/resource_library.h"

namespace {
INT_PTR CALLBACK BusyProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}
}  // namespace

CBusyWindow::CBusyWindow(int nTemplateId, int nLabelId, const std::string& utf8Text)
{
    const auto module = static_cast<HMODULE>(CResourceLibrary::Module());
    if (!module)
        return;
    CDialog* owner = CDialog::GetMainWnd();
    HWND hOwner = owner && owner->GetSafeHwnd() ? static_cast<HWND>(owner->GetSafeHwnd()) : nullptr;
    if (!hOwner) {
        // Owned by a hidden window of its own when there is no main window
        // yet: a passing window, never taken for the program's main one.
        hOwner = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        m_hOwner = hOwner;
    }
    HWND hWnd = ::CreateDialogParamW(module, MAKEINTRESOURCEW(nTemplateId), hOwner, &BusyProc, 0);
    if (!hWnd)
        return;
    m_hWnd = hWnd;
    ::SetDlgItemTextW(hWnd, nLabelId, Widen(utf8Text).c_str());
    ::ShowWindow(hWnd, SW_SHOWNORMAL);
    m_pCursor = std::make_unique<CWaitCursor>(m_hWnd);
}

CBusyWindow::~CBusyWindow()
{
    m_pCursor.reset();
    if (m_hWnd)
        ::DestroyWindow(static_cast<HWND>(m_hWnd));
    if (m_hOwner)
        ::DestroyWindow(static_cast<HWND>(m_hOwner));
}
