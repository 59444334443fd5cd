#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "frontend/string_table.h"

// The resource-only library (lidany.dll beside the program) that holds every
// text, dialog template and icon, asked for by number. The texts are the
// string table's, shared with apctl.
class CResourceLibrary {
public:
    static constexpr const char* kFileName = CStringTable::kFileName;
    static std::vector<std::filesystem::path> SearchPath(const std::filesystem::path& executable);
    static bool Load();
    static void SetFileName(std::string fileName);
    // UTF-8; an empty text when the number is missing.
    static std::string LoadString(int id);
    // The library's module (an HMODULE), null before Load.
    static void* Module();
};
