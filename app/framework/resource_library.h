#pragma once

#include <gdkmm/pixbuf.h>
#include <gtkmm/builder.h>

#include <string>

// The resource-only library that holds every text, dialog template and icon
// of the program, asked for by number. Loading it registers its bundle; it is
// never unloaded.
class CResourceLibrary {
public:
    static constexpr const char* kFileName = "liblidany.so";

    // Looks beside the executable first, then on the loader's path.
    static bool Load();
    // Tests point the loader at another file name (a missing one, say).
    static void SetFileName(std::string fileName);

    // An empty text when the number is missing.
    static std::string LoadString(int id);
    // Null when the template is missing or broken.
    static Glib::RefPtr<Gtk::Builder> LoadTemplate(int id);
    static Glib::RefPtr<Gdk::Pixbuf> LoadIcon(int id);
};
