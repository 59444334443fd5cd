#pragma once

#include <gtkmm/comboboxtext.h>
#include <sigc++/sigc++.h>

#include <functional>
#include <string>
#include <vector>

class CDialog;

// A drop-down list over a combo box of texts; each item carries a number,
// kept as the row's id too. Only the user's own choices notify: adding,
// emptying and selecting from code do not.
class CComboBox : public sigc::trackable {
public:
    // The drop-down nId of the owner's template; false when it has none.
    bool Attach(CDialog* pOwner, int nId);
    Gtk::ComboBoxText* GetComboBox() const { return m_pCombo; }

    // Appends; returns the item's index, or -1.
    int AddString(const std::string& text, int data);
    void ResetContent();
    int GetCount() const;
    // -1 when nothing is chosen.
    int GetCurSel() const;
    // False, and nothing chosen, when index is no item's.
    bool SetCurSel(int index);
    // 0 for an index that is no item's.
    int GetItemData(int index) const;
    // The first item carrying data; -1 when none.
    int FindItemData(int data) const;

    void OnSelChange(std::function<void()> handler) { m_selChange = std::move(handler); }

private:
    Gtk::ComboBoxText* m_pCombo = nullptr;
    std::vector<int> m_data;
    bool m_bQuiet = false;
    std::function<void()> m_selChange;
};
