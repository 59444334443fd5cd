#pragma once

#include <functional>
#include <memory>
#include <string>

class CDialog;
#ifndef _WIN32
namespace Gtk {
class ComboBoxText;
}
#endif

// A drop-down list of the owner's template; each item carries a number. Only
// the user's own choices notify, as a combo box does: adding, emptying and
// selecting from code do not; code calls the handler itself where it needs to.
class CComboBox {
public:
    CComboBox();
    ~CComboBox();

    // The drop-down nId of the owner's template; false when it has none.
    bool Attach(CDialog* pOwner, int nId);

    // Appends; returns the item's index, or -1.
    int AddString(const std::string& text, int data);
    void ResetContent();
    int GetCount() const;
    // -1 when nothing is chosen.
    int GetCurSel() const;
    // False when index is no item's.
    bool SetCurSel(int index);
    int GetItemData(int index) const;
    // The first item carrying data; -1 when none.
    int FindItemData(int data) const;

    void OnSelChange(std::function<void()> handler) { m_selChange = std::move(handler); }

#ifdef _WIN32
    void* GetSafeHwnd() const;
#else
    Gtk::ComboBoxText* GetComboBox() const;
#endif

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
    std::function<void()> m_selChange;
};
