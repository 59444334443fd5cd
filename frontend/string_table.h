#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "string_table_file.h"  // the library's file name on this platform

// The string table of the resource-only library, which both front ends load:
// every text is asked for by number. Loading the library registers its bundle
// (templates and icon too); it is never unloaded.
class CStringTable {
public:
    static constexpr const char* kFileName = kStringTableFileName;
    // Where Load looks for the library, in turn: beside the executable (the
    // build tree, and the only place on Windows), then in the private folder
    // it is installed in on Linux, found from the installed executable's
    // folder. No other path is searched.
    static std::vector<std::filesystem::path> SearchPath(const std::filesystem::path& executable);
    static bool Load();
    // Tests point the loader at another file name (a missing one, say).
    static void SetFileName(std::string fileName);

    // An empty text when the number is missing.
    static std::string LoadString(int id);
};
