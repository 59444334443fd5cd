#include "app/framework/busy_window.h"

#include "app/framework/win32/windows_api.h"

#include "app/framework/dialog.h"
#include "app/framework/wait_cursor.h"
#include "frontend/win32/string_table_module.h"

namespace {
INT_PTR CALLBACK BusyProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}
}  // namespace

// The window, the hidden owner made for it, and the cursor over it.
struct CBusyWindow::Impl {
    HWND hWnd = nullptr;
    HWND hOwner = nullptr;
    std::unique_ptr<CWaitCursor> pCursor;
};

CBusyWindow::CBusyWindow(int nTemplateId, int nLabelId, const std::string& utf8Text)
    : m_pImpl(std::make_unique<Impl>())
{
    const auto module = static_cast<HMODULE>(StringTableModule());
    if (!module)
        return;
    CDialog* owner = CDialog::GetMainWnd();
    HWND hOwner = owner && owner->GetSafeHwnd() ? static_cast<HWND>(owner->GetSafeHwnd()) : nullptr;
    if (!hOwner) {
        // Owned by a hidden window of its own when there is no main window
        // yet: a passing window, never taken for the program's main one.
        hOwner = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        m_pImpl->hOwner = hOwner;
    }
    HWND hWnd = ::CreateDialogParamW(module, MAKEINTRESOURCEW(nTemplateId), hOwner, &BusyProc, 0);
    if (!hWnd)
        return;
    m_pImpl->hWnd = hWnd;
    ::SetDlgItemTextW(hWnd, nLabelId, Utf8ToUtf16(utf8Text).c_str());
    ::ShowWindow(hWnd, SW_SHOWNORMAL);
    m_pImpl->pCursor = std::make_unique<CWaitCursor>(m_pImpl->hWnd);
}

CBusyWindow::~CBusyWindow()
{
    m_pImpl->pCursor.reset();
    if (m_pImpl->hWnd)
        ::DestroyWindow(m_pImpl->hWnd);
    if (m_pImpl->hOwner)
        ::DestroyWindow(m_pImpl->hOwner);
}

void* CBusyWindow::GetWindow() const
{
    return m_pImpl->hWnd;
}
