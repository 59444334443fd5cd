#pragma once

#include <gdkmm/pixbuf.h>
#include <gtkmm/builder.h>

#include <filesystem>
#include <string>
#include <vector>

#include "frontend/string_table.h"

// The resource-only library that holds every text, dialog template and icon
// of the program, asked for by number. Loading it registers its bundle; it is
// never unloaded. The texts are the string table's, shared with apctl.
class CResourceLibrary {
public:
    static constexpr const char* kFileName = CStringTable::kFileName;
    // Where Load looks for the library, in turn: beside the executable (the
    // build tree), then in the private folder it is installed in, found from
    // the installed executable's folder. No other path is searched.
    static std::vector<std::filesystem::path> SearchPath(const std::filesystem::path& executable);
    static bool Load();
    // Tests point the loader at another file name (a missing one, say).
    static void SetFileName(std::string fileName);

    // An empty text when the number is missing.
    static std::string LoadString(int id);
    // Null when the template is missing or broken.
    static Glib::RefPtr<Gtk::Builder> LoadTemplate(int id);
    static Glib::RefPtr<Gdk::Pixbuf> LoadIcon(int id);
};
