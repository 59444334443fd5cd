#include "frontend/string_table.h"

#include <dlfcn.h>

#include <giomm/resource.h>
#include <glibmm/keyfile.h>

#include <memory>

// The install puts the library here, relative to the program's folder.
#ifndef APCONFIG_LIBRARY_FROM_BINDIR
#define APCONFIG_LIBRARY_FROM_BINDIR "../lib/apconfig"
#endif

namespace {
constexpr const char* kInstalledFolder = APCONFIG_LIBRARY_FROM_BINDIR;

std::string& FileName()
{
    static std::string name = CStringTable::kFileName;
    return name;
}

// Read once the bundle is there; a lookup before that finds nothing.
const Glib::KeyFile* Strings()
{
    static std::unique_ptr<Glib::KeyFile> strings;
    if (!strings) {
        try {
            auto bytes = Gio::Resource::lookup_data_global("/lidany/strings.ini");
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
