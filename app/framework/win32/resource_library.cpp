#include "resource_library.h"

#include "frontend/win32/string_table_module.h"

void* CResourceLibrary::Module()
{
    return StringTableModule();
}
