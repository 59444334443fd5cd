#pragma once

#include "app/framework/win32/windows_api.h"

#include <functional>
#include <vector>

#include "app/framework/tab_ctrl.h"

// The tab control's Win32 side: its window, its owner and each item's page.
struct CTabCtrl::Impl {
    explicit Impl(CTabCtrl& tabs) : self(tabs) {}

    // As the user: notifies around the change.
    void SelectByUser(int index);
    bool OnKey(unsigned key, bool ctrl, bool shift, bool alt);
    void PlacePage(CDialog* pPage) const;

    CTabCtrl& self;
    CDialog* pOwner = nullptr;
    HWND hWnd = nullptr;
    std::vector<CDialog*> pages;  // each item's data, by index
};
