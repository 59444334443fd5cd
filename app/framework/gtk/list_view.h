#pragma once

#include <glibmm/main.h>
#include <gtkmm/liststore.h>
#include <gtkmm/menu.h>
#include <gtkmm/treeview.h>
#include <sigc++/sigc++.h>

#include <functional>
#include <string>
#include <vector>

class CDialog;

// A two-column report list over a tree view whose columns show the model's
// columns 0 and 1 (the template sets the headings); several rows can be
// selected. Copying (Ctrl+C, Ctrl+Insert) and the context menu (a right
// click, Shift+F10, the Menu key) go to the handlers given.
class CListView : public sigc::trackable {
public:
    CListView();
    ~CListView() { m_reattach.disconnect(); }
    CListView(const CListView&) = delete;
    CListView& operator=(const CListView&) = delete;

    // The list control nId of the owner's template; false when it has none.
    bool Attach(CDialog* pOwner, int nId);
    void Attach(Gtk::TreeView* view);
    Gtk::TreeView* GetTreeView() const { return m_pView; }

    // Inserts before index (the end when index is the count or beyond);
    // returns the row's index, or -1.
    int InsertItem(int index, const std::string& first, const std::string& second);
    void DeleteAllItems();
    int GetItemCount() const;
    int GetSelectedCount() const;
    // Ascending.
    std::vector<int> GetSelectedItems() const;
    // As the user could: the selection handler hears of it.
    void SetItemSelected(int index, bool bSelected);
    // Column 0 or 1; empty for a row or column that is not there.
    std::string GetItemText(int index, int column) const;

    void OnSelChange(std::function<void()> handler) { m_selChange = std::move(handler); }
    void OnCopy(std::function<void()> handler) { m_copy = std::move(handler); }
    // One item; a right click on a row outside the selection selects that row
    // alone first, and the item is disabled while nothing is selected.
    void SetContextMenu(const std::string& itemText, std::function<void()> chosen);

private:
    struct Columns : Gtk::TreeModelColumnRecord {
        Columns()
        {
            add(first);
            add(second);
        }
        Gtk::TreeModelColumn<Glib::ustring> first;
        Gtk::TreeModelColumn<Glib::ustring> second;
    };

    // Gives the view its rows back after a fill made while it had none.
    void Reattach() const;
    bool OnKeyPress(GdkEventKey* event);
    bool OnButtonPress(GdkEventButton* event);
    void PopUpMenu(const GdkEvent* event);

    Columns m_columns;
    Gtk::TreeView* m_pView = nullptr;
    Glib::RefPtr<Gtk::ListStore> m_store;
    mutable bool m_bDetached = false;
    mutable sigc::connection m_reattach;
    Gtk::Menu m_menu;
    std::function<void()> m_selChange;
    std::function<void()> m_copy;
    std::function<void()> m_menuChosen;
};
