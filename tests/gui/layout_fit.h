#pragma once

#include <gtkmm/window.h>

#include <string>
#include <vector>

// Whether a window, as allocated now, shows each of its texts whole: every
// mapped label (button and tab labels too) that does not wrap is given its
// natural width, a wrapping one the height its text takes at its width, none
// is ellipsized, and the window fits a 1024×768 screen.
class CLayoutFit {
public:
    static constexpr int kScreenWidth = 1024;
    static constexpr int kScreenHeight = 768;

    // One line per text that does not fit, naming it and the sizes.
    static std::vector<std::string> Misfits(Gtk::Window& window);
};
