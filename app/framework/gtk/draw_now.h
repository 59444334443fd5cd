#pragma once

#include <gtkmm/window.h>

#include <vector>

// Puts a window on screen as it stands now, for a program about to block:
// shows it if hidden, lets the window system map it, lays it out and paints
// it at once, without running the main loop. Only the window system's own
// events are handled meanwhile; the user's input (keys, clicks, pointer
// motion and crossing, focus, closing) waits, in the order it came, for the
// main loop to take it afterwards.
class CDrawNow {
public:
    // How long to wait for the window system to map a window just shown.
    static constexpr int kMapWaitMs = 500;

    static void Window(Gtk::Window& window);

private:
    static bool IsInput(const GdkEvent* event);
    // Empties the toolkit's queue: the window system's events are handled,
    // input is appended to input.
    static void TakeQueued(GdkDisplay* display, std::vector<GdkEvent*>& input);
};
