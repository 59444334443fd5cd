#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/dialog.h>
#include <sigc++/sigc++.h>

#include <memory>

#include "app/framework/dialog.h"
#include "app/framework/gtk/caption_menu.h"

// The dialog's GTK side: the widgets its template built and the modal run.
struct CDialog::Impl : sigc::trackable {
    explicit Impl(CDialog& dialog) : self(dialog) {}

    // The template's root when it is the kind of window the dialog needs.
    bool Build(int nTemplateId, const char* rootId, bool (*fits)(Gtk::Widget*));
    bool OnKeyPress(GdkEventKey* event);

    CDialog& self;
    Glib::RefPtr<Gtk::Builder> builder;
    Gtk::Widget* pWindow = nullptr;
    Gtk::Dialog* pModal = nullptr;
    std::unique_ptr<CCaptionMenu> pCaptionMenu;
    bool bRunning = false;
};
