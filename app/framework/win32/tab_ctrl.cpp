#include "app/framework/win32/tab_ctrl_p.h"

#include <uxtheme.h>

#include "app/framework/dialog.h"

namespace {
const UINT_PTR kSubclassId = 0x5443;

// The pages follow the control's moves and resizes.
LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    const LRESULT result = ::DefSubclassProc(hWnd, message, wParam, lParam);
    const auto* change = reinterpret_cast<const WINDOWPOS*>(lParam);
    if (message == WM_WINDOWPOSCHANGED && (~change->flags & (SWP_NOMOVE | SWP_NOSIZE)))
        reinterpret_cast<const CTabCtrl*>(data)->PlacePages();
    if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(hWnd, &SubclassProc, kSubclassId);
    return result;
}
}  // namespace

CTabCtrl::CTabCtrl() : m_pImpl(std::make_unique<Impl>(*this)) {}

CTabCtrl::~CTabCtrl()
{
    if (m_pImpl->hWnd && ::IsWindow(m_pImpl->hWnd))
        ::RemoveWindowSubclass(m_pImpl->hWnd, &SubclassProc, kSubclassId);
}

bool CTabCtrl::Attach(CDialog* pOwner, int nId)
{
    HWND tab = ControlOfClass(pOwner, nId, WC_TABCONTROLW);
    if (!tab)
        return false;
    m_pImpl->pOwner = pOwner;
    m_pImpl->hWnd = tab;
    // The control's own notifications come from the user's clicks only.
    pOwner->OnNotify(nId, [this](const void* data, long long* result) {
        const auto* header = static_cast<const NMHDR*>(data);
        if (header->code == TCN_SELCHANGING) {
            if (m_selChanging)
                m_selChanging();
            *result = FALSE;  // the change may go on
            return true;
        }
        if (header->code == TCN_SELCHANGE) {
            if (m_selChange)
                m_selChange();
            return true;
        }
        return false;
    });
    pOwner->OnPreTranslateKey(
        [this](unsigned key, bool ctrl, bool shift, bool alt) { return m_pImpl->OnKey(key, ctrl, shift, alt); });
    ::SetWindowSubclass(tab, &SubclassProc, kSubclassId, DWORD_PTR(this));
    return true;
}

bool CTabCtrl::Impl::OnKey(unsigned key, bool ctrl, bool shift, bool alt)
{
    const int count = self.GetItemCount();
    if (!hWnd || count == 0 || !::IsWindowVisible(hWnd))
        return false;
    const int current = self.GetCurSel();
    int next = -1;
    if (ctrl && !alt && (key == VK_NEXT || (key == VK_TAB && !shift)))
        next = (current + 1) % count;
    else if (ctrl && !alt && (key == VK_PRIOR || (key == VK_TAB && shift)))
        next = (current + count - 1) % count;
    else if (alt && !ctrl && key >= '1' && key <= '9') {
        if (int(key - '1') >= count)
            return false;
        next = int(key - '1');
    } else
        return false;
    if (next != current)
        SelectByUser(next);
    return true;
}

void CTabCtrl::Impl::SelectByUser(int index)
{
    if (self.m_selChanging)
        self.m_selChanging();
    TabCtrl_SetCurSel(hWnd, index);
    if (self.m_selChange)
        self.m_selChange();
    // The keys go on working: focus left on a page now hidden goes to the tabs.
    HWND focus = ::GetFocus();
    if (!focus || !::IsWindowVisible(focus))
        ::SetFocus(hWnd);
}

void CTabCtrl::Impl::PlacePage(CDialog* pPage) const
{
    HWND page = pPage ? static_cast<HWND>(pPage->GetSafeHwnd()) : nullptr;
    if (!page)
        return;
    // The display area, in the coordinates of the page's parent.
    RECT area;
    ::GetWindowRect(hWnd, &area);
    TabCtrl_AdjustRect(hWnd, FALSE, &area);
    ::MapWindowPoints(nullptr, ::GetParent(page), reinterpret_cast<POINT*>(&area), 2);
    ::SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   SWP_NOACTIVATE);
    // The page takes the tab's own background where themes draw one.
    ::EnableThemeDialogTexture(page, ETDT_ENABLETAB);
}

void CTabCtrl::PlacePages() const
{
    for (CDialog* page : m_pImpl->pages)
        m_pImpl->PlacePage(page);
}

int CTabCtrl::InsertItem(int index, const std::string& text, CDialog* pPage)
{
    if (!m_pImpl->hWnd || index < 0 || index > GetItemCount())
        return -1;
    std::wstring wide = Utf8ToUtf16(text);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = wide.data();
    const int inserted = int(::SendMessageW(m_pImpl->hWnd, TCM_INSERTITEMW, index, LPARAM(&item)));
    if (inserted < 0)
        return -1;
    m_pImpl->pages.insert(m_pImpl->pages.begin() + inserted, pPage);
    m_pImpl->PlacePage(pPage);
    return inserted;
}

bool CTabCtrl::DeleteItem(int index)
{
    if (!m_pImpl->hWnd || index < 0 || index >= GetItemCount() || !TabCtrl_DeleteItem(m_pImpl->hWnd, index))
        return false;
    m_pImpl->pages.erase(m_pImpl->pages.begin() + index);
    return true;
}

int CTabCtrl::GetItemCount() const
{
    return m_pImpl->hWnd ? TabCtrl_GetItemCount(m_pImpl->hWnd) : 0;
}

int CTabCtrl::GetCurSel() const
{
    return m_pImpl->hWnd ? TabCtrl_GetCurSel(m_pImpl->hWnd) : -1;
}

int CTabCtrl::SetCurSel(int index)
{
    if (!m_pImpl->hWnd || index < 0 || index >= GetItemCount())
        return -1;
    // TCM_SETCURSEL sends no notification.
    return TabCtrl_SetCurSel(m_pImpl->hWnd, index);
}

CDialog* CTabCtrl::GetItemData(int index) const
{
    return index >= 0 && index < int(m_pImpl->pages.size()) ? m_pImpl->pages[index] : nullptr;
}

void* CTabCtrl::GetSafeHwnd() const
{
    return m_pImpl->hWnd;
}
