#pragma once

#include <functional>
#include <string>

class CDialog;

// A drop-down list of the owner's template; each item carries a number.
class CComboBox {
public:
    CComboBox() = default;
    CComboBox(const CComboBox&) = delete;
    CComboBox& operator=(const CComboBox&) = delete;

    bool Attach(CDialog* pOwner, int nId);
    // Appends; returns the item's index, or -1.
    int AddString(const std::string& text, int data);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    bool SetCurSel(int index);
    int GetItemData(int index) const;
    // -1 when none.
    int FindItemData(int data) const;
    // The user's choice only, as a combo box does: code calls the handler
    // itself where it needs to.
    void OnSelChange(std::function<void()> handler) { m_selChange = std::move(handler); }

    void* GetSafeHwnd() const { return m_hWnd; }

private:
    void* m_hWnd = nullptr;
    std::function<void()> m_selChange;
};
