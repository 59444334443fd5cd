#include "app/framework/win32/window_dpi.h"

#include "app/framework/win32/windows_api.h"

namespace {
std::function<unsigned(void*)>& Source()
{
    static std::function<unsigned(void*)> source;
    return source;
}

// Windows 10 1607 and later; before, the screen's one dpi is every window's.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
GetDpiForWindowFn SystemGetDpiForWindow()
{
    static const auto function = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return function;
}
}  // namespace

unsigned CWindowDpi::Of(void* hWnd)
{
    if (Source())
        return Source()(hWnd);
    if (const auto get = SystemGetDpiForWindow())
        if (const UINT dpi = get(static_cast<HWND>(hWnd)))
            return dpi;
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? unsigned(dpi) : kBase;
}

int CWindowDpi::Scale(int pixels, unsigned dpi)
{
    return ::MulDiv(pixels, int(dpi), int(kBase));
}

void CWindowDpi::SetSource(std::function<unsigned(void*)> source)
{
    Source() = std::move(source);
}
