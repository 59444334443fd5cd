#include "app/framework/gtk/combo_box.h"

#include <algorithm>

#include "app/framework/gtk/dialog.h"

namespace {
// Changes made from code: no notification while they run.
class CQuiet {
public:
    explicit CQuiet(bool& quiet) : m_quiet(quiet), m_previous(quiet) { m_quiet = true; }
    ~CQuiet() { m_quiet = m_previous; }

private:
    bool& m_quiet;
    bool m_previous;
};
}  // namespace

bool CComboBox::Attach(CDialog* pOwner, int nId)
{
    m_pCombo = pOwner ? pOwner->GetDlgItem<Gtk::ComboBoxText>(nId) : nullptr;
    m_data.clear();
    if (!m_pCombo)
        return false;
    // Whatever the template held is not ours: the list starts empty.
    m_pCombo->remove_all();
    m_pCombo->signal_changed().connect([this] {
        if (!m_bQuiet && m_selChange)
            m_selChange();
    });
    return true;
}

int CComboBox::AddString(const std::string& text, int data)
{
    if (!m_pCombo)
        return -1;
    CQuiet quiet(m_bQuiet);
    m_pCombo->append(std::to_string(data), text);
    m_data.push_back(data);
    return static_cast<int>(m_data.size()) - 1;
}

void CComboBox::ResetContent()
{
    if (!m_pCombo)
        return;
    CQuiet quiet(m_bQuiet);
    m_pCombo->remove_all();
    m_data.clear();
}

int CComboBox::GetCount() const
{
    return static_cast<int>(m_data.size());
}

int CComboBox::GetCurSel() const
{
    return m_pCombo ? m_pCombo->get_active_row_number() : -1;
}

bool CComboBox::SetCurSel(int index)
{
    if (!m_pCombo)
        return false;
    CQuiet quiet(m_bQuiet);
    const bool fits = index >= 0 && index < GetCount();
    m_pCombo->set_active(fits ? index : -1);
    return fits;
}

int CComboBox::GetItemData(int index) const
{
    return index >= 0 && index < GetCount() ? m_data[static_cast<size_t>(index)] : 0;
}

int CComboBox::FindItemData(int data) const
{
    const auto found = std::find(m_data.begin(), m_data.end(), data);
    return found == m_data.end() ? -1 : static_cast<int>(found - m_data.begin());
}
