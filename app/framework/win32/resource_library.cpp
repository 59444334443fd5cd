#include "resource_library.h"

#include "frontend/win32/string_table_module.h"

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

void* CResourceLibrary::Module()
{
    return StringTableModule();
}
