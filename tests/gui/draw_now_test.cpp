#include <gtkmm/window.h>

#include <vector>

#include "app/framework/gtk/draw_now.h"
#include "tests/gui/gui_test.h"

// Drawing a window before a wait holds the user's input back; afterwards it
// is handled in the order it came, whatever its kind.
namespace {

class DrawNowTest : public GuiTest {
protected:
    // Times the test's own events carry: its tag and place in the sequence.
    static constexpr guint32 kFirstTime = 4000000;

    // An event as the pointer or keyboard would send it to window.
    static void Put(Gtk::Window& window, GdkEventType type, guint32 time)
    {
        GdkEvent* event = gdk_event_new(type);
        event->any.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
        GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
        const bool key = type == GDK_KEY_PRESS || type == GDK_KEY_RELEASE;
        gdk_event_set_device(event, key ? gdk_seat_get_keyboard(seat) : gdk_seat_get_pointer(seat));
        switch (type) {
        case GDK_MOTION_NOTIFY:
            event->motion.x = event->motion.y = 5;
            event->motion.time = time;
            break;
        case GDK_BUTTON_PRESS:
        case GDK_BUTTON_RELEASE:
            event->button.button = 1;
            event->button.time = time;
            break;
        case GDK_ENTER_NOTIFY:
        case GDK_LEAVE_NOTIFY:
            event->crossing.detail = GDK_NOTIFY_ANCESTOR;
            event->crossing.time = time;
            break;
        case GDK_KEY_PRESS:
        case GDK_KEY_RELEASE:
            event->key.keyval = GDK_KEY_Shift_L;
            event->key.time = time;
            break;
        default: break;
        }
        gdk_event_put(event);
        gdk_event_free(event);
    }
};

TEST_F(DrawNowTest, HeldBackInputIsHandledAfterwardsInTheOrderItCame)
{
    Gtk::Window window;
    window.set_default_size(100, 100);
    CDrawNow::Window(window);
    PumpEvents();
    // The test's events by their place in the sequence, each once (the
    // window may see one more than once as it passes it on).
    std::vector<guint32> handled;
    window.signal_event().connect(
        [&handled](GdkEvent* event) {
            const guint32 time = gdk_event_get_time(event);
            if (time >= kFirstTime && (handled.empty() || handled.back() != time))
                handled.push_back(time);
            return false;
        },
        false);

    // A click, a key, and the pointer leaving and coming back in between.
    const std::vector<GdkEventType> sent = {GDK_ENTER_NOTIFY,   GDK_MOTION_NOTIFY, GDK_BUTTON_PRESS,
                                            GDK_MOTION_NOTIFY,  GDK_BUTTON_RELEASE, GDK_LEAVE_NOTIFY,
                                            GDK_KEY_PRESS,      GDK_KEY_RELEASE,   GDK_ENTER_NOTIFY,
                                            GDK_MOTION_NOTIFY};
    std::vector<guint32> order;
    for (GdkEventType type : sent) {
        order.push_back(kFirstTime + static_cast<guint32>(order.size()));
        Put(window, type, order.back());
    }
    CDrawNow::Window(window);
    EXPECT_TRUE(handled.empty()) << "input waits while the window is drawn";
    // A last motion waits for the next frame, or for what comes after it:
    // a key pressed after the wait.
    order.push_back(kFirstTime + static_cast<guint32>(order.size()));
    Put(window, GDK_KEY_PRESS, order.back());
    PumpEvents();
    EXPECT_EQ(handled, order);
}

}  // namespace
