#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "frontend/string_table.h"

// The resource-only library that holds every text, dialog template and icon
// of the program, asked for by number; loaded, it is never unloaded. The
// texts are the string table's, shared with apctl; the templates and icons
// are the toolkit's own (see the toolkit's resource_templates.h).
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

    // UTF-8; an empty text when the number is missing.
    static std::string LoadString(int id);
};
