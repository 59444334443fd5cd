#pragma once

#include "app/framework/win32/windows_api.h"

#include <functional>

#include "app/framework/combo_box.h"

// The drop-down's Win32 side: the combo box's window.
struct CComboBox::Impl {
    HWND hWnd = nullptr;
};
