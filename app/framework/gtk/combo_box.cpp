#include "app/framework/gtk/combo_box_p.h"

#include <algorithm>

#include "app/framework/dialog.h"
#include "app/framework/gtk/quiet_changes.h"

CComboBox::CComboBox() : m_pImpl(std::make_unique<Impl>()) {}

CComboBox::~CComboBox() = default;

bool CComboBox::Attach(CDialog* pOwner, int nId)
{
    m_pImpl->pCombo = pOwner ? pOwner->GetDlgItem<Gtk::ComboBoxText>(nId) : nullptr;
    m_pImpl->data.clear();
    if (!m_pImpl->pCombo)
        return false;
    // Whatever the template held is not ours: the list starts empty.
    m_pImpl->pCombo->remove_all();
    m_pImpl->pCombo->signal_changed().connect([this] {
        if (!m_pImpl->bQuiet && m_selChange)
            m_selChange();
    });
    return true;
}

int CComboBox::AddString(const std::string& text, int data)
{
    if (!m_pImpl->pCombo)
        return -1;
    CQuietChanges quiet(m_pImpl->bQuiet);
    m_pImpl->pCombo->append(std::to_string(data), text);
    m_pImpl->data.push_back(data);
    return static_cast<int>(m_pImpl->data.size()) - 1;
}

void CComboBox::ResetContent()
{
    if (!m_pImpl->pCombo)
        return;
    CQuietChanges quiet(m_pImpl->bQuiet);
    m_pImpl->pCombo->remove_all();
    m_pImpl->data.clear();
}

int CComboBox::GetCount() const
{
    return static_cast<int>(m_pImpl->data.size());
}

int CComboBox::GetCurSel() const
{
    return m_pImpl->pCombo ? m_pImpl->pCombo->get_active_row_number() : -1;
}

bool CComboBox::SetCurSel(int index)
{
    if (!m_pImpl->pCombo)
        return false;
    CQuietChanges quiet(m_pImpl->bQuiet);
    const bool fits = index >= 0 && index < GetCount();
    m_pImpl->pCombo->set_active(fits ? index : -1);
    return fits;
}

int CComboBox::GetItemData(int index) const
{
    return index >= 0 && index < GetCount() ? m_pImpl->data[static_cast<size_t>(index)] : 0;
}

int CComboBox::FindItemData(int data) const
{
    const auto found = std::find(m_pImpl->data.begin(), m_pImpl->data.end(), data);
    return found == m_pImpl->data.end() ? -1 : static_cast<int>(found - m_pImpl->data.begin());
}

Gtk::ComboBoxText* CComboBox::GetComboBox() const
{
    return m_pImpl->pCombo;
}
