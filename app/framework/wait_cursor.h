#pragma once

#include <memory>

#include "app/framework/native_handles.h"

class CDialog;

// The busy cursor over a whole window, from the moment it is made until it
// goes, for a wait that runs no main loop. Made, it has put the window on
// screen as it stands (GTK: see CDrawNow); gone, every part of the window
// has its own cursor back. A null window, or a dialog without one, does
// nothing.
class CWaitCursor {
public:
    // Over the whole window the dialog lives in.
    explicit CWaitCursor(CDialog* pDialog);
    // Any window (a busy window has no dialog).
    explicit CWaitCursor(NativeWindow* window);
    ~CWaitCursor();

#ifndef _WIN32
    // Whether the window shows the busy cursor now.
    static bool IsShownOn(Gtk::Window& window);
#endif

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
