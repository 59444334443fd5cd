#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDialog;
#ifndef _WIN32
namespace Gtk {
class TreeView;
}
#endif

// A two-column report list of the owner's template, several rows selectable,
// whole rows selected (GTK: a tree view whose columns show the model's
// columns 0 and 1, the template setting the headings; Win32: headings from
// the string table, widths following the window's dpi).
class CListView {
public:
    CListView();
    ~CListView();

    // The list control nId of the owner's template; false when it has none.
    bool Attach(CDialog* pOwner, int nId);

    // Inserts before index (the end when index is the count or beyond);
    // returns the row's index, or -1.
    int InsertItem(int index, const std::string& first, const std::string& second);
    void DeleteAllItems();
    int GetItemCount() const;
    int GetSelectedCount() const;
    // Ascending.
    std::vector<int> GetSelectedItems() const;
    // As the user could: notifies OnSelChange.
    void SetItemSelected(int index, bool bSelected);
    // Column 0 or 1; empty for a row or column that is not there.
    std::string GetItemText(int index, int column) const;

    // After the selection changed (a click moving the selection may notify
    // more than once: the handler looks at the whole selection each time).
    void OnSelChange(std::function<void()> handler) { m_selChange = std::move(handler); }
    // Ctrl+C or Ctrl+Insert in the list.
    void OnCopy(std::function<void()> handler) { m_copy = std::move(handler); }
    // The list's menu of one item: right click (a row outside the selection
    // becomes the selection), Shift+F10 or the Menu key; the item is disabled
    // while nothing is selected.
    void SetContextMenu(const std::string& itemText, std::function<void()> chosen);

#ifdef _WIN32
    void* GetSafeHwnd() const;
#else
    void Attach(Gtk::TreeView* view);
    Gtk::TreeView* GetTreeView() const;
#endif

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
    std::function<void()> m_selChange;
    std::function<void()> m_copy;
    std::function<void()> m_menuChosen;
};
