#include "frontend/string_table.h"

#include <dlfcn.h>

#include <giomm/resource.h>
#include <glibmm/keyfile.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

#include "frontend/posix/locale_languages.h"

// The install puts the library here, relative to the program's folder.
#ifndef APCONFIG_LIBRARY_FROM_BINDIR
#define APCONFIG_LIBRARY_FROM_BINDIR "../lib/apconfig"
#endif

namespace {
constexpr const char* kInstalledFolder = APCONFIG_LIBRARY_FROM_BINDIR;
constexpr const char* kBundle = "/lidany/";

std::string& FileName()
{
    static std::string name = CStringTable::kFileName;
    return name;
}

// Unset while the environment chooses.
std::optional<std::string>& Selected()
{
    static std::optional<std::string> language;
    return language;
}

bool BundleHolds(const std::string& language)
{
    return !language.empty() && Gio::Resource::get_file_exists_global_nothrow(kBundle + language + "/strings.ini");
}

// Each language's table, read once the bundle holds it; a lookup before
// that finds nothing.
const Glib::KeyFile* Strings()
{
    static std::map<std::string, std::unique_ptr<Glib::KeyFile>> tables;
    const std::string path = CStringTable::EnglishOnly() ? std::string(kBundle) + "strings.ini"
                                                         : CStringTable::ResourcePath("strings.ini");
    auto& strings = tables[path];
    if (!strings) {
        try {
            auto bytes = Gio::Resource::lookup_data_global(path);
            gsize size = 0;
            auto data = static_cast<const char*>(bytes->get_data(size));
            auto file = std::make_unique<Glib::KeyFile>();
            file->load_from_data(Glib::ustring(data, data + size));
            strings = std::move(file);
        } catch (const Glib::Error&) {
        }
    }
    return strings.get();
}
}  // namespace

std::vector<std::filesystem::path> CStringTable::SearchPath(const std::filesystem::path& executable)
{
    const std::filesystem::path folder = executable.parent_path();
    return {folder / FileName(), (folder / kInstalledFolder / FileName()).lexically_normal()};
}

bool CStringTable::Load()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return false;
    for (const auto& path : SearchPath(executable))
        if (dlopen(path.c_str(), RTLD_NOW | RTLD_NODELETE))
            return true;
    return false;
}

void CStringTable::SetFileName(std::string fileName)
{
    FileName() = std::move(fileName);
}

std::string CStringTable::LoadString(int id)
{
    const Glib::KeyFile* strings = Strings();
    if (!strings)
        return {};
    try {
        return strings->get_string("strings", std::to_string(id));
    } catch (const Glib::Error&) {
        return {};
    }
}

std::string CStringTable::Language()
{
    if (Selected())
        return BundleHolds(*Selected()) ? *Selected() : std::string();
    for (const auto& language : LocaleLanguages([](const char* name) { return std::getenv(name); }))
        if (BundleHolds(language))
            return language;
    return {};
}

void CStringTable::SelectLanguage(std::string language)
{
    Selected() = language.empty() ? std::nullopt : std::optional(std::move(language));
}

std::string CStringTable::ResourcePath(const std::string& relative)
{
    const std::string language = Language();
    const std::string translated = kBundle + language + "/" + relative;
    if (!language.empty() && Gio::Resource::get_file_exists_global_nothrow(translated))
        return translated;
    return kBundle + relative;
}
