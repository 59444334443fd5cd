#include "app/framework/win32/combo_box_p.h"

#include "app/framework/dialog.h"

CComboBox::CComboBox() : m_pImpl(std::make_unique<Impl>()) {}

CComboBox::~CComboBox() = default;

bool CComboBox::Attach(CDialog* pOwner, int nId)
{
    HWND combo = ControlOfClass(pOwner, nId, WC_COMBOBOXW);
    if (!combo)
        return false;
    m_pImpl->hWnd = combo;
    // CBN_SELCHANGE comes from the user's choice, never from CB_SETCURSEL.
    pOwner->OnCommand(nId, [this](unsigned code) {
        if (code == CBN_SELCHANGE && m_selChange)
            m_selChange();
    });
    return true;
}

int CComboBox::AddString(const std::string& text, int data)
{
    if (!m_pImpl->hWnd)
        return -1;
    const int index = int(::SendMessageW(m_pImpl->hWnd, CB_ADDSTRING, 0, LPARAM(Utf8ToUtf16(text).c_str())));
    if (index < 0)
        return -1;
    ::SendMessageW(m_pImpl->hWnd, CB_SETITEMDATA, index, LPARAM(data));
    return index;
}

void CComboBox::ResetContent()
{
    if (m_pImpl->hWnd)
        ::SendMessageW(m_pImpl->hWnd, CB_RESETCONTENT, 0, 0);
}

int CComboBox::GetCount() const
{
    return m_pImpl->hWnd ? int(::SendMessageW(m_pImpl->hWnd, CB_GETCOUNT, 0, 0)) : 0;
}

int CComboBox::GetCurSel() const
{
    return m_pImpl->hWnd ? int(::SendMessageW(m_pImpl->hWnd, CB_GETCURSEL, 0, 0)) : -1;
}

bool CComboBox::SetCurSel(int index)
{
    if (!m_pImpl->hWnd || index < 0 || index >= GetCount())
        return false;
    return ::SendMessageW(m_pImpl->hWnd, CB_SETCURSEL, index, 0) == index;
}

int CComboBox::GetItemData(int index) const
{
    if (!m_pImpl->hWnd || index < 0 || index >= GetCount())
        return -1;
    return int(::SendMessageW(m_pImpl->hWnd, CB_GETITEMDATA, index, 0));
}

int CComboBox::FindItemData(int data) const
{
    for (int i = 0, count = GetCount(); i < count; ++i)
        if (GetItemData(i) == data)
            return i;
    return -1;
}

void* CComboBox::GetSafeHwnd() const
{
    return m_pImpl->hWnd;
}
