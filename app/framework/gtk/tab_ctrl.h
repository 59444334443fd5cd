#pragma once

#include <gtkmm/box.h>
#include <gtkmm/notebook.h>
#include <sigc++/sigc++.h>

#include <functional>
#include <string>

class CDialog;

// A tab control over a notebook. Each item carries a text and, as its data, a
// page dialog whose window the item hosts in its display area. As with any tab
// control, only the user's own tab changes notify: selecting, inserting and
// deleting items from code do not. Attached to a dialog's control, it also
// takes the page keys in that dialog's window: Ctrl+Page Down and Ctrl+Page
// Up (or Ctrl+Tab and Ctrl+Shift+Tab) to the next and previous item, Alt+1 to
// Alt+9 to an item by its place; these change the item as a click does.
class CTabCtrl : public sigc::trackable {
public:
    // The tab control nId of the owner's template; false when it has none.
    bool Attach(CDialog* pOwner, int nId);
    void Attach(Gtk::Notebook* notebook);
    Gtk::Notebook* GetNotebook() const { return m_pNotebook; }

    // Inserts before index (the end when index is the count); returns the
    // new item's index, or -1.
    int InsertItem(int index, const std::string& text, CDialog* pPage = nullptr);
    bool DeleteItem(int index);
    int GetItemCount() const;
    int GetCurSel() const;
    // Returns the previous selection.
    int SetCurSel(int index);
    CDialog* GetItemData(int index) const;

    // Before the selection leaves its item, and after the new one is current.
    void OnSelChanging(std::function<void()> handler) { m_selChanging = std::move(handler); }
    void OnSelChange(std::function<void()> handler) { m_selChange = std::move(handler); }

private:
    void OnSwitchPageBefore(Gtk::Widget* page, guint number);
    void OnSwitchPageAfter(Gtk::Widget* page, guint number);
    Gtk::Box* Slot(int index) const;
    bool OnPageKey(GdkEventKey* event);

    Gtk::Notebook* m_pNotebook = nullptr;
    bool m_bQuiet = false;
    std::function<void()> m_selChanging;
    std::function<void()> m_selChange;
};
