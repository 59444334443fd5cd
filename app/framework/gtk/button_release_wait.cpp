#include "app/framework/gtk/button_release_wait.h"

#include <glibmm/main.h>
#include <gtk/gtk.h>

namespace {
struct WaitState {
    guint button;
    GMainLoop* loop;
    std::optional<GdkEventButton> release;
};

bool IsInput(GdkEventType type)
{
    switch (type) {
    case GDK_MOTION_NOTIFY:
    case GDK_BUTTON_PRESS:
    case GDK_2BUTTON_PRESS:
    case GDK_3BUTTON_PRESS:
    case GDK_BUTTON_RELEASE:
    case GDK_KEY_PRESS:
    case GDK_KEY_RELEASE:
    case GDK_ENTER_NOTIFY:
    case GDK_LEAVE_NOTIFY:
    case GDK_SCROLL:
    case GDK_TOUCH_BEGIN:
    case GDK_TOUCH_UPDATE:
    case GDK_TOUCH_END:
    case GDK_TOUCH_CANCEL:
        return true;
    default:
        return false;
    }
}

void DoEvent(GdkEvent* event, gpointer)
{
    gtk_main_do_event(event);
}

void Filter(GdkEvent* event, gpointer data)
{
    auto* state = static_cast<WaitState*>(data);
    if (event->type == GDK_BUTTON_RELEASE && event->button.button == state->button) {
        state->release = event->button;
        g_main_loop_quit(state->loop);
    } else if (event->type == GDK_GRAB_BROKEN) {
        g_main_loop_quit(state->loop);
    } else if (!IsInput(event->type)) {
        gtk_main_do_event(event);
    }
}
}  // namespace

std::optional<GdkEventButton> CButtonReleaseWait::Wait(Gtk::Window& window, guint button)
{
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window.gobj()));
    if (!gdkWindow)
        return std::nullopt;
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(gdkWindow));
    if (gdk_seat_grab(seat, gdkWindow, GDK_SEAT_CAPABILITY_ALL, FALSE, nullptr, nullptr, nullptr, nullptr) !=
        GDK_GRAB_SUCCESS)
        return std::nullopt;
    WaitState state{button, g_main_loop_new(nullptr, FALSE), std::nullopt};
    gdk_event_handler_set(Filter, &state, nullptr);
    g_main_loop_run(state.loop);
    gdk_event_handler_set(DoEvent, nullptr, nullptr);
    g_main_loop_unref(state.loop);
    gdk_seat_ungrab(seat);
    // The release belongs to no window any more; keep only its numbers.
    if (state.release)
        state.release->window = nullptr;
    return state.release;
}
