#pragma once

#include <memory>
#include <string>

#include "app/framework/wait_cursor.h"

// A small window from a numbered template that says what the program is
// waiting for, on screen with the busy cursor for as long as the object
// lives; its label nLabelId takes the text. A template that cannot be
// created shows nothing.
class CBusyWindow {
public:
    CBusyWindow(int nTemplateId, int nLabelId, const std::string& utf8Text);
    ~CBusyWindow();
    CBusyWindow(const CBusyWindow&) = delete;
    CBusyWindow& operator=(const CBusyWindow&) = delete;

    // The HWND, null when the template could not be created.
    void* GetSafeHwnd() const { return m_hWnd; }

private:
    void* m_hWnd = nullptr;
    void* m_hOwner = nullptr;
    std::unique_ptr<CWaitCursor> m_pCursor;
};
