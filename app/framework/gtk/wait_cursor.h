#pragma once

#include <gdk/gdk.h>
#include <gtkmm/window.h>

#include <vector>

class CDialog;

// The busy cursor over a whole window, from the moment it is made until it
// goes, for a wait that runs no main loop. Made, it has put the window on
// screen as it stands (see CDrawNow); gone, every part of the window has
// its own cursor back. A null window does nothing.
class CWaitCursor {
public:
    explicit CWaitCursor(Gtk::Window* window);
    // Over the whole window the dialog lives in (null: none).
    explicit CWaitCursor(CDialog* pDialog);
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    // Whether the window shows the busy cursor now.
    static bool IsShownOn(Gtk::Window& window);

private:
    void Cover(GdkWindow* window, GdkCursor* busy);

    // Each part of the window and the cursor it had (a reference each).
    std::vector<std::pair<GdkWindow*, GdkCursor*>> m_previous;
};
