#include "app/framework/clipboard.h"

#include "app/framework/win32/windows_api.h"

#include <cstring>

bool SetClipboardText(const std::string& utf8)
{
    const std::wstring wide = Utf8ToUtf16(utf8);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (!memory)
        return false;
    std::memcpy(::GlobalLock(memory), wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    if (!::OpenClipboard(nullptr)) {
        ::GlobalFree(memory);
        return false;
    }
    ::EmptyClipboard();
    // The clipboard owns the memory once it took it.
    const bool taken = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    ::CloseClipboard();
    if (!taken)
        ::GlobalFree(memory);
    return taken;
}
