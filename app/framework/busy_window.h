#pragma once

#include <memory>
#include <string>

#include "app/framework/native_handles.h"

// A small window from a numbered template that says what the program is
// waiting for, on screen with the busy cursor for as long as the object
// lives; its label nLabelId takes the text (GTK: the template's root is a
// window named "window"). A template that cannot be created shows nothing.
class CBusyWindow {
public:
    CBusyWindow(int nTemplateId, int nLabelId, const std::string& utf8Text);
    ~CBusyWindow();

    // The window, null when the template could not be created.
    NativeWindow* GetWindow() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
