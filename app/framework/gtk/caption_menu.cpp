#include "app/framework/gtk/caption_menu.h"

#include <glibmm/main.h>
#include <gtkmm/dialog.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>

#include "app/framework/gtk/button_release_wait.h"

CCaptionMenu::CCaptionMenu(Gtk::Window& window, std::function<void(unsigned)> chosen)
    : m_window(window), m_chosen(std::move(chosen))
{
    m_window.signal_button_press_event().connect(sigc::mem_fun(*this, &CCaptionMenu::OnButtonPress), false);
}

void CCaptionMenu::Append(const std::string& utf8Text, unsigned nCommandId)
{
    m_items.emplace_back(utf8Text, nCommandId);
}

bool CCaptionMenu::OnButtonPress(GdkEventButton* event)
{
    if (event->type != GDK_BUTTON_PRESS || event->button != 3 || m_items.empty() || !IsNonClient(event))
        return false;
    // Handled here: the toolkit's own window menu never shows.
    OnNcRButtonDown();
    return true;
}

bool CCaptionMenu::IsNonClient(const GdkEventButton* event) const
{
    if (!m_window.get_window())
        return false;
    auto* dialog = dynamic_cast<Gtk::Dialog*>(&m_window);
    Gtk::Widget* client = dialog ? dialog->get_content_area() : m_window.get_child();
    if (!client)
        return false;
    int originX, originY, clientX, clientY;
    m_window.get_window()->get_origin(originX, originY);
    client->translate_coordinates(m_window, 0, 0, clientX, clientY);
    const auto area = client->get_allocation();
    const double x = event->x_root - originX - clientX;
    const double y = event->y_root - originY - clientY;
    return x < 0 || y < 0 || x >= area.get_width() || y >= area.get_height();
}

bool CCaptionMenu::GetCaptionRect(Gtk::Window& window, int rect[4])
{
    Gtk::Widget* caption = window.get_titlebar();
    if (!caption || !window.get_window())
        return false;
    int originX, originY, captionX, captionY;
    window.get_window()->get_origin(originX, originY);
    caption->translate_coordinates(window, 0, 0, captionX, captionY);
    const auto area = caption->get_allocation();
    rect[0] = originX + captionX + kBorder;
    rect[1] = originY + captionY + kBorder;
    rect[2] = originX + captionX + area.get_width() - kBorder;
    rect[3] = originY + captionY + area.get_height();
    return true;
}

void CCaptionMenu::OnNcRButtonDown()
{
    auto release = CButtonReleaseWait::Wait(m_window, 3);
    if (!release)
        return;
    int caption[4];
    const int x = static_cast<int>(release->x_root);
    const int y = static_cast<int>(release->y_root);
    if (!GetCaptionRect(m_window, caption) || x < caption[0] || y < caption[1] || x >= caption[2] || y >= caption[3])
        return;
    Track(x, y);
}

void CCaptionMenu::Track(int xRoot, int yRoot)
{
    unsigned chosen = 0;
    Gtk::Menu menu;
    for (const auto& [text, command] : m_items) {
        auto* item = Gtk::make_managed<Gtk::MenuItem>(text);
        item->signal_activate().connect([&chosen, command = command] { chosen = command; });
        menu.append(*item);
    }
    menu.show_all();
    menu.attach_to_widget(m_window);

    // Like a tracked popup menu: back here once it closes, with the choice.
    auto loop = Glib::MainLoop::create();
    // However it closes, the menu hides; an item chosen is activated just
    // after, so the loop ends once that has run.
    menu.signal_hide().connect([loop] { Glib::signal_idle().connect_once([loop] { loop->quit(); }); });
    int originX, originY;
    m_window.get_window()->get_origin(originX, originY);
    GdkRectangle at{xRoot - originX, yRoot - originY, 1, 1};
    gtk_menu_popup_at_rect(menu.gobj(), m_window.get_window()->gobj(), &at, GDK_GRAVITY_NORTH_WEST,
                           GDK_GRAVITY_NORTH_WEST, nullptr);
    if (menu.get_visible())
        loop->run();
    menu.detach();
    // The command may take the window and this menu with it: nothing of
    // this object is touched after it.
    if (chosen && m_chosen) {
        auto handler = m_chosen;
        handler(chosen);
    }
}
