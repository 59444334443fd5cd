#include <glibmm/main.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>

#include "app/main_dlg.h"
#include "app/resource_ids.h"
#include "tests/gui/gui_test.h"

// The caption menu, driven by button events as the display would deliver
// them: a right press outside the client area, then the release somewhere.
namespace {

struct MenuSeen {
    bool shown = false;
    int x = 0, y = 0;
    std::vector<std::string> items;
};

class CaptionMenuTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        StartDevice();
    }

    // Presses the right button at (pressX, pressY) and releases it at
    // (releaseX, releaseY), screen coordinates. A menu that shows is
    // recorded and, when choose is set, its item is chosen, else it is
    // dismissed.
    void RightClick(CMainDlg& main, int pressX, int pressY, int releaseX, int releaseY, bool choose)
    {
        Gtk::Window& window = *main.GetToplevel();
        Later([&window, releaseX, releaseY] { PutButton(window, GDK_BUTTON_RELEASE, releaseX, releaseY); });
        auto poll = Glib::signal_timeout().connect(
            [this, choose] {
                Gtk::Menu* menu = ShownMenu();
                if (!menu)
                    return true;
                m_menu.shown = true;
                menu->get_toplevel()->get_window()->get_origin(m_menu.x, m_menu.y);
                for (Gtk::Widget* child : menu->get_children())
                    if (auto* item = dynamic_cast<Gtk::MenuItem*>(child))
                        m_menu.items.push_back(item->get_label());
                if (choose)
                    gtk_menu_shell_activate_item(GTK_MENU_SHELL(menu->gobj()),
                                                 GTK_WIDGET(menu->get_children().front()->gobj()), TRUE);
                else
                    menu->popdown();
                return false;
            },
            10);
        PutButton(window, GDK_BUTTON_PRESS, pressX, pressY, true);
        // Give a wrongly shown menu the chance to appear before looking.
        for (int i = 0; i < 5 && !m_menu.shown; ++i) {
            g_usleep(10000);
            PumpEvents();
        }
        poll.disconnect();
        EXPECT_EQ(ShownMenu(), nullptr) << "no menu is left open";
    }

    static void PutButton(Gtk::Window& window, GdkEventType type, int xRoot, int yRoot, bool dispatch = false)
    {
        GdkWindow* gdkWindow = window.get_window()->gobj();
        int originX, originY;
        gdk_window_get_origin(gdkWindow, &originX, &originY);
        GdkEvent* event = gdk_event_new(type);
        event->button.window = GDK_WINDOW(g_object_ref(gdkWindow));
        event->button.send_event = TRUE;
        event->button.time = GDK_CURRENT_TIME;
        event->button.x = xRoot - originX;
        event->button.y = yRoot - originY;
        event->button.x_root = xRoot;
        event->button.y_root = yRoot;
        event->button.button = 3;
        gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
        if (dispatch)
            gtk_main_do_event(event);
        else
            gdk_display_put_event(gdk_display_get_default(), event);
        gdk_event_free(event);
    }

    static Gtk::Menu* ShownMenu()
    {
        for (Gtk::Window* window : Gtk::Window::list_toplevels())
            if (auto* menu = dynamic_cast<Gtk::Menu*>(window->get_child()))
                if (window->get_visible())
                    return menu;
        return nullptr;
    }

    void Run(std::function<void(CMainDlg&, const int caption[4], const int client[4])> script)
    {
        RunMainWindow([script](CMainDlg& main) {
            int caption[4];
            ASSERT_TRUE(main.GetCaptionRect(caption));
            auto* modal = dynamic_cast<Gtk::Dialog*>(main.GetToplevel());
            int originX, originY, x, y;
            modal->get_window()->get_origin(originX, originY);
            modal->get_content_area()->translate_coordinates(*modal, 0, 0, x, y);
            auto area = modal->get_content_area()->get_allocation();
            const int client[4] = {originX + x, originY + y, originX + x + area.get_width(),
                                   originY + y + area.get_height()};
            script(main, caption, client);
        });
    }

    MenuSeen m_menu;
    bool m_bAboutShown = false;
};

TEST_F(CaptionMenuTest, ReleaseOnTheCaptionOpensTheMenuThereAndItsItemTheAboutBox)
{
    WhenShown(IDD_ABOUT, [this](CDialog& about) {
        m_bAboutShown = true;
        Respond(about, Gtk::RESPONSE_OK);
    });
    Run([this](CMainDlg& main, const int caption[4], const int*) {
        const int x = (caption[0] + caption[2]) / 2, y = (caption[1] + caption[3]) / 2;
        RightClick(main, x - 40, y, x, y + 3, true);
    });
    ASSERT_TRUE(m_menu.shown);
    EXPECT_EQ(m_menu.items, std::vector<std::string>{S(IDS_ABOUT_MENU)});
    EXPECT_TRUE(m_bAboutShown);
}

TEST_F(CaptionMenuTest, MenuOpensAtTheReleasePoint)
{
    int releaseX = 0, releaseY = 0;
    Run([&](CMainDlg& main, const int caption[4], const int*) {
        releaseX = caption[0] + 30;
        releaseY = caption[1] + 10;
        RightClick(main, caption[2] - 30, caption[1] + 10, releaseX, releaseY, false);
    });
    ASSERT_TRUE(m_menu.shown);
    EXPECT_NEAR(m_menu.x, releaseX, 2);
    EXPECT_NEAR(m_menu.y, releaseY, 2);
}

TEST_F(CaptionMenuTest, PressOnTheBorderReleasedOnTheCaptionOpensTheMenu)
{
    Run([this](CMainDlg& main, const int caption[4], const int client[4]) {
        // Left of the client area, below the caption: the window's frame.
        RightClick(main, client[0] - 1, (client[1] + client[3]) / 2, caption[0] + 50, caption[1] + 8, false);
    });
    EXPECT_TRUE(m_menu.shown);
}

TEST_F(CaptionMenuTest, ReleaseOffTheCaptionShowsNothing)
{
    Run([this](CMainDlg& main, const int caption[4], const int client[4]) {
        const int x = (caption[0] + caption[2]) / 2, y = (caption[1] + caption[3]) / 2;
        RightClick(main, x, y, (client[0] + client[2]) / 2, (client[1] + client[3]) / 2, false);  // client area
        RightClick(main, x, y, caption[0] - 200, y, false);                                        // off the window
        RightClick(main, x, y, x, caption[1] - 1, false);  // the frame above the caption
        RightClick(main, x, y, caption[2], y, false);      // right edge is outside
    });
    EXPECT_FALSE(m_menu.shown) << "neither ours nor the toolkit's window menu";
}

TEST_F(CaptionMenuTest, RightPressInTheClientAreaIsLeftToTheControls)
{
    Run([this](CMainDlg& main, const int caption[4], const int client[4]) {
        const int x = (client[0] + client[2]) / 2, y = (client[1] + client[3]) / 2;
        // Not a caption press: no wait, so the release is not taken either.
        RightClick(main, x, y, (caption[0] + caption[2]) / 2, caption[1] + 8, false);
    });
    EXPECT_FALSE(m_menu.shown);
}

}  // namespace
