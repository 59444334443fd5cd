#include "app/framework/draw_now.h"

#include <unistd.h>

#include <chrono>
#include <vector>

bool CDrawNow::IsInput(const GdkEvent* event)
{
    switch (event->type) {
    case GDK_KEY_PRESS:
    case GDK_KEY_RELEASE:
    case GDK_BUTTON_PRESS:
    case GDK_2BUTTON_PRESS:
    case GDK_3BUTTON_PRESS:
    case GDK_BUTTON_RELEASE:
    case GDK_SCROLL:
    case GDK_TOUCH_BEGIN:
    case GDK_TOUCH_UPDATE:
    case GDK_TOUCH_END:
    case GDK_TOUCH_CANCEL:
    case GDK_DELETE:
    case GDK_DRAG_ENTER:
    case GDK_DROP_START: return true;
    default: return false;
    }
}

void CDrawNow::Window(Gtk::Window& window)
{
    GdkDisplay* display = gdk_display_get_default();
    if (!display)
        return;
    if (!window.get_visible())
        window.show();
    // Take what the window system has sent, until the window is mapped.
    std::vector<GdkEvent*> input;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kMapWaitMs);
    for (;;) {
        gdk_display_flush(display);
        while (GdkEvent* event = gdk_display_get_event(display)) {
            if (IsInput(event)) {
                input.push_back(event);
                continue;
            }
            gtk_main_do_event(event);
            gdk_event_free(event);
        }
        GdkWindow* mapped = gtk_widget_get_window(GTK_WIDGET(window.gobj()));
        if ((mapped && gdk_window_is_viewable(mapped)) || std::chrono::steady_clock::now() > deadline)
            break;
        usleep(1000);
    }
    // Lay out what changed, then paint the whole window as an expose would.
    gtk_container_check_resize(GTK_CONTAINER(window.gobj()));
    if (GdkWindow* surface = gtk_widget_get_window(GTK_WIDGET(window.gobj()))) {
        GdkEvent* expose = gdk_event_new(GDK_EXPOSE);
        expose->expose.window = GDK_WINDOW(g_object_ref(surface));
        expose->expose.send_event = TRUE;
        expose->expose.area = {0, 0, gdk_window_get_width(surface), gdk_window_get_height(surface)};
        expose->expose.region = cairo_region_create_rectangle(&expose->expose.area);
        gtk_main_do_event(expose);
        gdk_event_free(expose);
    }
    gdk_display_flush(display);
    for (GdkEvent* event : input) {
        gdk_event_put(event);
        gdk_event_free(event);
    }
}
