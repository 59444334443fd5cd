#pragma once

#include <gdkmm/pixbuf.h>
#include <gtkmm/builder.h>

// The resource library's dialog templates and icons, asked for by number;
// null when missing or broken.
Glib::RefPtr<Gtk::Builder> LoadDialogTemplate(int id);
Glib::RefPtr<Gdk::Pixbuf> LoadIcon(int id);
