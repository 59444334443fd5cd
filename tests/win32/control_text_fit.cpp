#include "control_text_fit.h"

namespace {

enum class EKind { None, Wrapping, SingleLine, PushButton, GroupBox };

EKind KindOf(HWND control)
{
    wchar_t name[32] = {};
    ::GetClassNameW(control, name, 32);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    if (::lstrcmpiW(name, L"Static") == 0) {
        switch (style & SS_TYPEMASK) {
        case SS_LEFT: case SS_CENTER: case SS_RIGHT: return EKind::Wrapping;
        case SS_LEFTNOWORDWRAP: case SS_SIMPLE: return EKind::SingleLine;
        default: return EKind::None;  // icons, frames, pictures
        }
    }
    if (::lstrcmpiW(name, L"Button") == 0) {
        switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON: case BS_DEFPUSHBUTTON: return EKind::PushButton;
        case BS_GROUPBOX: return EKind::GroupBox;
        default: return EKind::None;
        }
    }
    return EKind::None;
}

// Room a frame keeps on each side of the text: a push button's edge, its
// focus rectangle and a pixel between; a group box's line and the gap
// before its caption.
int SideMargin(EKind kind)
{
    const int edge = ::GetSystemMetrics(SM_CXEDGE);
    return kind == EKind::PushButton ? edge + 2 : kind == EKind::GroupBox ? 4 * edge : 0;
}

}  // namespace

bool CControlTextFit::Measured(HWND control)
{
    return KindOf(control) != EKind::None;
}

std::string CControlTextFit::Misfit(HWND control, const std::wstring& text)
{
    const EKind kind = KindOf(control);
    RECT client{};
    ::GetClientRect(control, &client);
    const int width = client.right - 2 * SideMargin(kind);
    UINT format = DT_CALCRECT | DT_EXPANDTABS;
    if (kind == EKind::Wrapping)
        format |= DT_WORDBREAK;
    else
        format |= DT_SINGLELINE;
    if (kind != EKind::PushButton && kind != EKind::GroupBox &&
        (::GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX))
        format |= DT_NOPREFIX;
    // A word longer than the width widens the rectangle past it.
    RECT needed{0, 0, width, 0};
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, HGDIOBJ(::SendMessageW(control, WM_GETFONT, 0, 0)));
    ::DrawTextW(dc, text.c_str(), int(text.size()), &needed, format);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    if (needed.right <= width && needed.bottom <= client.bottom)
        return {};
    return "needs " + std::to_string(needed.right) + "x" + std::to_string(needed.bottom) + " px, has " +
           std::to_string(width) + "x" + std::to_string(client.bottom);
}
