#pragma once

#include "app/framework/win32/windows_api.h"

#include <functional>
#include <string>

#include "app/framework/list_view.h"

// The list's Win32 side: the list view's window, its owner, its menu.
struct CListView::Impl {
    explicit Impl(CListView& list) : self(list) {}

    void ShowContextMenu(int x, int y, bool fromKeyboard);
    void SelectionMayHaveChanged();
    // After the window moved to a monitor of another dpi.
    void ScaleColumns();

    CListView& self;
    CDialog* pOwner = nullptr;
    HWND hWnd = nullptr;
    // The dpi the column widths were made for.
    unsigned nDpi = 0;
    std::string menuText;
};
