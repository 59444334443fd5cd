#include "app/framework/gtk/draw_now.h"

#include <unistd.h>

#include <chrono>
#include <vector>

bool CDrawNow::IsInput(const GdkEvent* event)
{
    // Everything but what the window system says about the windows
    // themselves comes from the user, pointer motion and crossing included:
    // all of it waits, so that it is handled afterwards in the order it came.
    switch (event->type) {
    case GDK_EXPOSE:
    case GDK_CONFIGURE:
    case GDK_MAP:
    case GDK_UNMAP:
    case GDK_PROPERTY_NOTIFY:
    case GDK_SELECTION_CLEAR:
    case GDK_SELECTION_REQUEST:
    case GDK_SELECTION_NOTIFY:
    case GDK_CLIENT_EVENT:
    case GDK_VISIBILITY_NOTIFY:
    case GDK_WINDOW_STATE:
    case GDK_SETTING:
    case GDK_OWNER_CHANGE:
    case GDK_DAMAGE: return false;
    default: return true;
    }
}

void CDrawNow::TakeQueued(GdkDisplay* display, std::vector<GdkEvent*>& input)
{
    // A motion last in the queue stays there until the next frame, and would
    // then come before the input put back; a marker behind it lets it out.
    GdkEvent* marker = gdk_event_new(GDK_NOTHING);
    gdk_event_put(marker);
    gdk_event_free(marker);
    while (GdkEvent* event = gdk_display_get_event(display)) {
        const bool isMarker = event->type == GDK_NOTHING;
        if (!isMarker && IsInput(event)) {
            input.push_back(event);
            continue;
        }
        if (!isMarker)
            gtk_main_do_event(event);
        gdk_event_free(event);
        if (isMarker)
            break;
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
        TakeQueued(display, input);
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
    TakeQueued(display, input);
    for (GdkEvent* event : input) {
        gdk_event_put(event);
        gdk_event_free(event);
    }
}
