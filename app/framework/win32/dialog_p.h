#pragma once

#include "app/framework/win32/windows_api.h"

#include <functional>
#include <map>
#include <vector>

#include "app/framework/dialog.h"

// The dialog's Win32 side: its window, the handlers its controls' messages go
// to, and the window procedure's way into the dialog.
struct CDialog::Impl {
    // The dialog's own window from the template; null when it cannot be had.
    static HWND MakeWindow(CDialog& dialog, HWND hParent, bool child);
    static INT_PTR CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static bool Command(CDialog& dialog, WPARAM wParam, LPARAM lParam);
    static void Limit(CDialog& dialog, int nId);
    bool PreTranslateKey(unsigned key);

    HWND hWnd = nullptr;
    bool bModal = false;
    std::map<int, std::function<void()>> clicked;
    std::map<int, std::function<void(unsigned)>> commands;
    std::map<int, std::function<bool(const void*, long long*)>> notify;
    std::vector<std::function<bool(unsigned, bool, bool, bool)>> keys;
    std::map<unsigned, std::function<bool(unsigned long long, long long)>> messages;
    std::map<int, int> limits;  // edit number -> bytes
};
