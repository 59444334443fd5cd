#pragma once

#include <glibmm/main.h>
#include <gtkmm/liststore.h>
#include <gtkmm/menu.h>
#include <gtkmm/treeview.h>
#include <sigc++/sigc++.h>

#include "app/framework/list_view.h"

// The list's GTK side: the view, its store of two text columns, the menu.
struct CListView::Impl : sigc::trackable {
    struct Columns : Gtk::TreeModelColumnRecord {
        Columns()
        {
            add(first);
            add(second);
        }
        Gtk::TreeModelColumn<Glib::ustring> first;
        Gtk::TreeModelColumn<Glib::ustring> second;
    };

    explicit Impl(CListView& list) : self(list), store(Gtk::ListStore::create(columns)) {}
    ~Impl() { reattach.disconnect(); }

    // Gives the view its rows back after a fill made while it had none.
    void Reattach();
    bool OnKeyPress(GdkEventKey* event);
    bool OnButtonPress(GdkEventButton* event);
    void PopUpMenu(const GdkEvent* event);

    CListView& self;
    Columns columns;
    Gtk::TreeView* pView = nullptr;
    Glib::RefPtr<Gtk::ListStore> store;
    bool bDetached = false;
    sigc::connection reattach;
    Gtk::Menu menu;
};
