#pragma once

#include <gtkmm/box.h>
#include <gtkmm/notebook.h>
#include <sigc++/sigc++.h>

#include <string>

class CDialog;

// A tab control over a notebook. Each item carries a text and, as its data, a
// page dialog whose window the item hosts in its display area. As with any tab
// control, only the user's own tab changes notify: selecting, inserting and
// deleting items from code do not.
class CTabCtrl : public sigc::trackable {
public:
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
    sigc::signal<void()>& SignalSelChanging() { return m_selChanging; }
    sigc::signal<void()>& SignalSelChange() { return m_selChange; }

private:
    void OnSwitchPageBefore(Gtk::Widget* page, guint number);
    void OnSwitchPageAfter(Gtk::Widget* page, guint number);
    Gtk::Box* Slot(int index) const;

    Gtk::Notebook* m_pNotebook = nullptr;
    bool m_bQuiet = false;
    sigc::signal<void()> m_selChanging;
    sigc::signal<void()> m_selChange;
};
