#include "app/framework/gtk/resource_templates.h"

#include "frontend/string_table.h"

Glib::RefPtr<Gtk::Builder> LoadDialogTemplate(int id)
{
    try {
        return Gtk::Builder::create_from_resource(
            CStringTable::ResourcePath("dialog/" + std::to_string(id) + ".ui"));
    } catch (const Glib::Error&) {
        return {};
    }
}

Glib::RefPtr<Gdk::Pixbuf> LoadIcon(int id)
{
    try {
        return Gdk::Pixbuf::create_from_resource("/lidany/icon/" + std::to_string(id) + ".png");
    } catch (const Glib::Error&) {
        return {};
    }
}
