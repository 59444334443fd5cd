#include <windows.h>

#include <string>

#include "protocol/manufacturer_registry.h"
#include "serial/wide_text.h"

// The installer puts the lists beside the program.
std::string CManufacturerRegistry::DefaultFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return ".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    path.resize(slash == std::wstring::npos ? 0 : slash);
    const std::string folder = Utf16ToUtf8(path);
    return folder.empty() ? "." : folder;
}
