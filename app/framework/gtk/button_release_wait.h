#pragma once

#include <gdk/gdk.h>
#include <gtkmm/window.h>

#include <optional>

// Holds the pointer for a window until a mouse button is released, taking
// every input event meanwhile and acting on none; other events (drawing,
// configuration) go on as usual. Returns the release, or nothing when the
// hold could not be had or was broken.
class CButtonReleaseWait {
public:
    static std::optional<GdkEventButton> Wait(Gtk::Window& window, guint button);
};
