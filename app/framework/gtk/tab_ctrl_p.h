#pragma once

#include <gtkmm/box.h>
#include <gtkmm/notebook.h>
#include <sigc++/sigc++.h>

#include "app/framework/tab_ctrl.h"

// The tab control's GTK side: the notebook, each item's page in a slot.
struct CTabCtrl::Impl : sigc::trackable {
    explicit Impl(CTabCtrl& tabs) : self(tabs) {}

    void OnSwitchPageBefore(Gtk::Widget* page, guint number);
    void OnSwitchPageAfter(Gtk::Widget* page, guint number);
    Gtk::Box* Slot(int index) const;
    bool OnPageKey(GdkEventKey* event);

    CTabCtrl& self;
    Gtk::Notebook* pNotebook = nullptr;
    bool bQuiet = false;
};
