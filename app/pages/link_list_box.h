#pragma once

#include <gtkmm/liststore.h>
#include <gtkmm/treeview.h>
#include <sigc++/sigc++.h>

#include <vector>

#include "protocol/link_record.h"

class CManufacturerRegistry;

// The paired devices list box: one entry per device, shown by its address
// and the maker its address is registered to, each entry owning a copy of
// its record. Several entries can be selected.
class CLinkListBox : public sigc::trackable {
public:
    CLinkListBox();

    void Attach(Gtk::TreeView* view);

    // Appends an entry per record, in order; the makers come from registry
    // (null: none).
    void AddRecords(const std::vector<LinkRecord>& records, const CManufacturerRegistry* registry = nullptr);
    void ResetContent();
    int GetCount() const;
    int GetSelCount() const;
    // The records of the selected entries, from the first position to the last.
    std::vector<LinkRecord> GetSelectedRecords() const;
    // The addresses of the selected entries, in list order.
    std::vector<std::string> GetSelectedTexts() const;
    std::vector<std::string> GetTexts() const;
    std::vector<std::string> GetManufacturers() const;
    // Selects (or clears) the entry at a position, as the user could.
    void SetSel(int index, bool select);

    sigc::signal<void()>& SignalSelChange() { return m_selChange; }

private:
    struct Columns : Gtk::TreeModelColumnRecord {
        Columns()
        {
            add(text);
            add(manufacturer);
            add(record);
        }
        Gtk::TreeModelColumn<Glib::ustring> text;
        Gtk::TreeModelColumn<Glib::ustring> manufacturer;
        Gtk::TreeModelColumn<LinkRecord> record;
    };

    Columns m_columns;
    Gtk::TreeView* m_pView = nullptr;
    Glib::RefPtr<Gtk::ListStore> m_store;
    sigc::signal<void()> m_selChange;
};
