#include "app/framework/clipboard.h"

#include <gtkmm/clipboard.h>

bool SetClipboardText(const std::string& utf8)
{
    auto clipboard = Gtk::Clipboard::get();
    if (!clipboard)
        return false;
    clipboard->set_text(utf8);
    return true;
}
