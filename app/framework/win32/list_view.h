#pragma once

#include <functional>
#include <string>
#include <vector>

class CDialog;

// A two-column report list of the owner's template, several rows selectable,
// whole rows selected. The column headings come from the string table (a
// resource script cannot hold them). Column widths follow the window's dpi.
class CListView {
public:
    CListView() = default;
    CListView(const CListView&) = delete;
    CListView& operator=(const CListView&) = delete;

    bool Attach(CDialog* pOwner, int nId);

    // Returns the row's index, or -1.
    int InsertItem(int index, const std::string& first, const std::string& second);
    void DeleteAllItems();
    int GetItemCount() const;
    int GetSelectedCount() const;
    // Ascending.
    std::vector<int> GetSelectedItems() const;
    // As the user could: notifies OnSelChange.
    void SetItemSelected(int index, bool bSelected);
    std::string GetItemText(int index, int column) const;

    // After a row's selection changed (a click moving the selection changes
    // two rows: the handler looks at the whole selection each time).
    void OnSelChange(std::function<void()> handler) { m_selChange = std::move(handler); }
    // Ctrl+C or Ctrl+Insert in the list.
    void OnCopy(std::function<void()> handler) { m_copy = std::move(handler); }
    // The list's menu of one item: right click (a row outside the selection
    // becomes the selection), Shift+F10 or the Menu key; the item is disabled
    // while nothing is selected.
    void SetContextMenu(const std::string& itemText, std::function<void()> chosen);

    void* GetSafeHwnd() const { return m_hWnd; }

private:
    void ShowContextMenu(int x, int y, bool fromKeyboard);
    void SelectionMayHaveChanged();
    // After the window moved to a monitor of another dpi.
    void ScaleColumns();

    CDialog* m_pOwner = nullptr;
    void* m_hWnd = nullptr;
    // The dpi the column widths were made for.
    unsigned m_nDpi = 0;
    std::function<void()> m_selChange;
    std::function<void()> m_copy;
    std::string m_menuText;
    std::function<void()> m_menuChosen;
};
