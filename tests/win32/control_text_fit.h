#pragma once

#include <windows.h>

#include <string>

// Whether a text fits a static, push button or group box as the control
// draws it: measured in the control's own font, wrapped at its width where
// the control wraps, within the room its frame leaves.
class CControlTextFit {
public:
    // Whether the control draws a text this check measures.
    static bool Measured(HWND control);
    // Empty when text fits control; else what it needs against what it has.
    static std::string Misfit(HWND control, const std::wstring& text);
};
