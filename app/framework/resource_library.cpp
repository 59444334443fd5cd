#include "app/framework/resource_library.h"

#include <utility>

#include "frontend/string_table.h"

// Texts come from the string table apctl shares; only templates and icons are
// the toolkit's own.
std::vector<std::filesystem::path> CResourceLibrary::SearchPath(const std::filesystem::path& executable)
{
    return CStringTable::SearchPath(executable);
}

bool CResourceLibrary::Load()
{
    return CStringTable::Load();
}

void CResourceLibrary::SetFileName(std::string fileName)
{
    CStringTable::SetFileName(std::move(fileName));
}

std::string CResourceLibrary::LoadString(int id)
{
    return CStringTable::LoadString(id);
}

