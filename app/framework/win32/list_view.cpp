#include "app/framework/win32/list_view_p.h"

#include "app/resource_ids.h"
#include "app/framework/dialog.h"
#include "app/framework/resource_library.h"
#include "app/framework/win32/window_dpi.h"

namespace {
// What WM_CONTEXTMENU reaches the owner through: its subclass of the list.
const UINT_PTR kSubclassId = 0x4C56;

#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif
}  // namespace

CListView::CListView() : m_pImpl(std::make_unique<Impl>(*this)) {}

CListView::~CListView() = default;

bool CListView::Attach(CDialog* pOwner, int nId)
{
    HWND list = ControlOfClass(pOwner, nId, WC_LISTVIEWW);
    if (!list)
        return false;
    m_pImpl->pOwner = pOwner;
    m_pImpl->hWnd = list;
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    // The list's size comes from the template, scaled already; the least
    // width an address needs and the room kept free are pixels at 96 dpi.
    m_pImpl->nDpi = CWindowDpi::Of(list);
    RECT client;
    ::GetClientRect(list, &client);
    const int first = std::max(int(client.right * 2 / 5), CWindowDpi::Scale(100, m_pImpl->nDpi));
    const std::pair<int, int> columns[] = {
        {IDS_LINK_COLUMN_ADDRESS, first},
        {IDS_LINK_COLUMN_MANUFACTURER, int(client.right) - first - CWindowDpi::Scale(4, m_pImpl->nDpi)}};
    for (int i = 0; i < 2; ++i) {
        std::wstring heading = Utf8ToUtf16(CResourceLibrary::LoadString(columns[i].first));
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = heading.data();
        column.cx = columns[i].second;
        column.iSubItem = i;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, i, LPARAM(&column));
    }
    pOwner->OnNotify(nId, [this](const void* data, long long*) {
        const auto* header = static_cast<const NMHDR*>(data);
        if (header->code == LVN_ITEMCHANGED) {
            const auto* change = static_cast<const NMLISTVIEW*>(data);
            if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
                m_pImpl->SelectionMayHaveChanged();
            return true;
        }
        if (header->code == LVN_KEYDOWN) {
            const auto* key = static_cast<const NMLVKEYDOWN*>(data);
            const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
            if (ctrl && (key->wVKey == 'C' || key->wVKey == VK_INSERT) && m_copy)
                m_copy();
            return true;
        }
        return false;
    });
    // The list's own menu requests go to its parent, but through the
    // dialog manager's procedure none of it reaches the dialog: the list
    // is subclassed for them.
    ::SetWindowSubclass(
        list,
        [](HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) -> LRESULT {
            auto* impl = reinterpret_cast<Impl*>(data);
            if (message == WM_CONTEXTMENU) {
                const bool keyboard = lParam == -1;
                impl->ShowContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), keyboard);
                return 0;
            }
            if (message == WM_DPICHANGED_AFTERPARENT)
                impl->ScaleColumns();
            if (message == WM_NCDESTROY)
                ::RemoveWindowSubclass(hWnd, nullptr, kSubclassId);
            return ::DefSubclassProc(hWnd, message, wParam, lParam);
        },
        kSubclassId, DWORD_PTR(m_pImpl.get()));
    return true;
}

void CListView::Impl::ScaleColumns()
{
    // The dialog manager has resized the list for the new monitor; the
    // columns keep their share of it.
    const unsigned dpi = CWindowDpi::Of(hWnd);
    if (dpi == nDpi || nDpi == 0)
        return;
    HWND list = hWnd;
    for (int i = 0; i < 2; ++i)
        ListView_SetColumnWidth(list, i, ::MulDiv(ListView_GetColumnWidth(list, i), int(dpi), int(nDpi)));
    nDpi = dpi;
}

void CListView::Impl::SelectionMayHaveChanged()
{
    if (self.m_selChange)
        self.m_selChange();
}

int CListView::InsertItem(int index, const std::string& first, const std::string& second)
{
    if (!m_pImpl->hWnd)
        return -1;
    std::wstring a = Utf8ToUtf16(first), b = Utf8ToUtf16(second);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = a.data();
    const int row = int(::SendMessageW(m_pImpl->hWnd, LVM_INSERTITEMW, 0, LPARAM(&item)));
    if (row < 0)
        return -1;
    LVITEMW sub{};
    sub.iSubItem = 1;
    sub.pszText = b.data();
    ::SendMessageW(m_pImpl->hWnd, LVM_SETITEMTEXTW, row, LPARAM(&sub));
    return row;
}

void CListView::DeleteAllItems()
{
    if (m_pImpl->hWnd)
        ListView_DeleteAllItems(m_pImpl->hWnd);
}

int CListView::GetItemCount() const
{
    return m_pImpl->hWnd ? ListView_GetItemCount(m_pImpl->hWnd) : 0;
}

int CListView::GetSelectedCount() const
{
    return m_pImpl->hWnd ? int(ListView_GetSelectedCount(m_pImpl->hWnd)) : 0;
}

std::vector<int> CListView::GetSelectedItems() const
{
    std::vector<int> rows;
    if (!m_pImpl->hWnd)
        return rows;
    for (int row = ListView_GetNextItem(m_pImpl->hWnd, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(m_pImpl->hWnd, row, LVNI_SELECTED))
        rows.push_back(row);
    return rows;
}

void CListView::SetItemSelected(int index, bool bSelected)
{
    if (!m_pImpl->hWnd || index < 0 || index >= GetItemCount())
        return;
    // LVN_ITEMCHANGED follows, as for the user's click.
    ListView_SetItemState(m_pImpl->hWnd, index, bSelected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

std::string CListView::GetItemText(int index, int column) const
{
    if (!m_pImpl->hWnd || index < 0 || index >= GetItemCount() || column < 0 || column > 1)
        return {};
    wchar_t buffer[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 512;
    const int length = int(::SendMessageW(m_pImpl->hWnd, LVM_GETITEMTEXTW, index, LPARAM(&item)));
    return Utf16ToUtf8({buffer, size_t(length)});
}

void CListView::SetContextMenu(const std::string& itemText, std::function<void()> chosen)
{
    m_pImpl->menuText = itemText;
    m_menuChosen = std::move(chosen);
}

void CListView::Impl::ShowContextMenu(int x, int y, bool fromKeyboard)
{
    if (!self.m_menuChosen)
        return;
    HWND list = hWnd;
    if (fromKeyboard) {
        // Below the focused row, or the list's corner.
        RECT place{};
        const int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
        if (focused < 0 || !ListView_GetItemRect(list, focused, &place, LVIR_LABEL))
            place = RECT{4, 4, 4, 4};
        POINT at{place.left, place.bottom};
        ::ClientToScreen(list, &at);
        x = at.x;
        y = at.y;
    }
    HMENU menu = ::CreatePopupMenu();
    const UINT kChosen = 1;
    ::AppendMenuW(menu, MF_STRING | (self.GetSelectedCount() ? 0 : MF_GRAYED), kChosen, Utf8ToUtf16(menuText).c_str());
    const UINT picked =
        UINT(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y, 0, list, nullptr));
    ::DestroyMenu(menu);
    if (picked == kChosen)
        self.m_menuChosen();
}

void* CListView::GetSafeHwnd() const
{
    return m_pImpl->hWnd;
}
