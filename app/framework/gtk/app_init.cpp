#include "app/framework/app_init.h"

#include <gtkmm/main.h>
#include <gtkmm/window.h>

#include "app/framework/gtk/display_failure.h"

#include <algorithm>
#include <vector>

bool AfxWinInit(int* argc, char*** argv, std::string* pWhy)
{
    if (!gtk_init_check(argc, argv)) {
        if (pWhy)
            *pWhy = DescribeDisplayFailure();
        return false;
    }
    Gtk::Main::init_gtkmm_internals();
    return true;
}

void BringWindowsToFront()
{
    std::vector<Gtk::Window*> shown;
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (window->get_visible() && window->get_window_type() == Gtk::WINDOW_TOPLEVEL)
            shown.push_back(window);
    std::stable_partition(shown.begin(), shown.end(), [](Gtk::Window* window) { return !window->get_modal(); });
    std::stable_partition(shown.begin(), shown.end(),
                          [](Gtk::Window* window) { return !window->get_modal() || !window->get_transient_for(); });
    for (Gtk::Window* window : shown)
        window->present();
}
