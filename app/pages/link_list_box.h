#pragma once

#include <gtkmm/liststore.h>
#include <gtkmm/treeview.h>
#include <sigc++/sigc++.h>

#include <vector>

#include "protocol/link_record.h"

// The paired devices list box: one entry per device, shown by its address,
// each entry owning a copy of its record. Several entries can be selected.
class CLinkListBox : public sigc::trackable {
public:
    void Attach(Gtk::TreeView* view);

    // Appends an entry per record, in order.
    void AddRecords(const std::vector<LinkRecord>& records);
    void ResetContent();
    int GetCount() const;
    int GetSelCount() const;
    // The records of the selected entries, from the first position to the last.
    std::vector<LinkRecord> GetSelectedRecords() const;
    std::vector<std::string> GetTexts() const;
    // Selects (or clears) the entry at a position, as the user could.
    void SetSel(int index, bool select);

    sigc::signal<void()>& SignalSelChange() { return m_selChange; }

private:
    struct Columns : Gtk::TreeModelColumnRecord {
        Columns()
        {
            add(text);
            add(record);
        }
        Gtk::TreeModelColumn<Glib::ustring> text;
        Gtk::TreeModelColumn<LinkRecord> record;
    };

    Columns m_columns;
    Gtk::TreeView* m_pView = nullptr;
    Glib::RefPtr<Gtk::ListStore> m_store;
    sigc::signal<void()> m_selChange;
};
