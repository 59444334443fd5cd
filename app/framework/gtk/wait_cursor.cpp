#include "app/framework/wait_cursor.h"

#include <gdk/gdk.h>
#include <gtkmm/window.h>

#include <utility>
#include <vector>

#include "app/framework/dialog.h"
#include "app/framework/gtk/draw_now.h"

// Each part of the window and the cursor it had (a reference each).
struct CWaitCursor::Impl {
    void Cover(GdkWindow* window, GdkCursor* busy);

    std::vector<std::pair<GdkWindow*, GdkCursor*>> previous;
};

CWaitCursor::CWaitCursor(Gtk::Window* window) : m_pImpl(std::make_unique<Impl>())
{
    if (!window)
        return;
    // Mapped first: only then do its parts have windows to set cursors on.
    CDrawNow::Window(*window);
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window->gobj()));
    if (!surface)
        return;
    GdkCursor* busy = gdk_cursor_new_for_display(gdk_window_get_display(surface), GDK_WATCH);
    // An entry or a list has a window and cursor of its own.
    m_pImpl->Cover(surface, busy);
    g_object_unref(busy);
    gdk_display_flush(gdk_window_get_display(surface));
}

CWaitCursor::CWaitCursor(CDialog* pDialog) : CWaitCursor(pDialog ? pDialog->GetToplevel() : nullptr) {}

void CWaitCursor::Impl::Cover(GdkWindow* window, GdkCursor* busy)
{
    GdkCursor* own = gdk_window_get_cursor(window);
    previous.emplace_back(GDK_WINDOW(g_object_ref(window)), own ? GDK_CURSOR(g_object_ref(own)) : nullptr);
    gdk_window_set_cursor(window, busy);
    for (GList* child = gdk_window_peek_children(window); child; child = child->next)
        Cover(GDK_WINDOW(child->data), busy);
}

CWaitCursor::~CWaitCursor()
{
    GdkDisplay* display = nullptr;
    for (auto [window, cursor] : m_pImpl->previous) {
        if (!gdk_window_is_destroyed(window))
            gdk_window_set_cursor(window, cursor);
        display = gdk_window_get_display(window);
        g_object_unref(window);
        if (cursor)
            g_object_unref(cursor);
    }
    if (display)
        gdk_display_flush(display);
}

bool CWaitCursor::IsShownOn(Gtk::Window& window)
{
    GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window.gobj()));
    GdkCursor* cursor = surface ? gdk_window_get_cursor(surface) : nullptr;
    return cursor && gdk_cursor_get_cursor_type(cursor) == GDK_WATCH;
}
