#include "app/framework/gtk/app_init.h"

#include <gtkmm/main.h>

bool AfxWinInit(int* argc, char*** argv)
{
    if (!gtk_init_check(argc, argv))
        return false;
    Gtk::Main::init_gtkmm_internals();
    return true;
}
