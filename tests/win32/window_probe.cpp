#include "window_probe.h"

#include <windows.h>

#include <dbt.h>

#include "serial/wide_text.h"

namespace WindowProbe {

namespace {
HWND Hwnd(void* handle)
{
    return static_cast<HWND>(handle);
}
}  // namespace

std::string Text(void* hWnd)
{
    wchar_t text[1024] = {};
    ::GetWindowTextW(Hwnd(hWnd), text, 1024);
    return Utf16ToUtf8(text);
}

bool IsShown(void* hWnd)
{
    return ::GetWindowLongW(Hwnd(hWnd), GWL_STYLE) & WS_VISIBLE;
}

std::vector<std::string> ComboItems(void* combo)
{
    std::vector<std::string> items;
    for (int i = 0, n = int(::SendMessageW(Hwnd(combo), CB_GETCOUNT, 0, 0)); i < n; ++i) {
        wchar_t text[256] = {};
        ::SendMessageW(Hwnd(combo), CB_GETLBTEXT, i, LPARAM(text));
        items.push_back(Utf16ToUtf8(text));
    }
    return items;
}

void ChooseComboItem(void* dialog, int nId, int index)
{
    HWND combo = ::GetDlgItem(Hwnd(dialog), nId);
    ::SendMessageW(combo, CB_SETCURSEL, index, 0);
    ::SendMessageW(Hwnd(dialog), WM_COMMAND, MAKEWPARAM(nId, CBN_SELCHANGE), LPARAM(combo));
}

void SendDeviceChange(void* dialog, bool arrival, bool port)
{
    DEV_BROADCAST_HDR header{sizeof(DEV_BROADCAST_HDR), DWORD(port ? DBT_DEVTYP_PORT : DBT_DEVTYP_VOLUME), 0};
    ::SendMessageW(Hwnd(dialog), WM_DEVICECHANGE, arrival ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                   LPARAM(&header));
}

}  // namespace WindowProbe

void WindowProbe::BroadcastAndPump(const char* registeredMessage)
{
    ::PostMessageA(HWND_BROADCAST, ::RegisterWindowMessageA(registeredMessage), 0, 0);
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}
