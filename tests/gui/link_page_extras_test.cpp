// The paired devices page as a list the user can tell apart and work with:
// makers from the address registry, the count, copying addresses, and the
// keys that switch pages from anywhere in the window.
#include <gtkmm/clipboard.h>
#include <gtkmm/label.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/notebook.h>
#include <gtkmm/treeview.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "app/pages/link_page.h"
#include "app/resource_ids.h"
#include "protocol/posix/manufacturer_registry.h"
#include "tests/gui/gui_test.h"

namespace {

LinkRecord Paired(std::initializer_list<int> address)
{
    LinkRecord record{};
    int i = 0;
    for (int byte : address)
        record.address[i++] = static_cast<unsigned char>(byte);
    return record;
}

class LinkPageExtrasTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        char folder[] = "/tmp/apconfig-ieeeXXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_registry = folder;
        std::ofstream(m_registry + "/oui.csv") << "Registry,Assignment,Organization Name,Organization Address\n"
                                                  "MA-L,445533,\"Forty-Four, Inc.\",Somewhere\n"
                                                  "MA-L,050604,Large Block Owner,\n";
        std::ofstream(m_registry + "/mam.csv") << "MA-M,0506040,Medium Block Owner,\n";
        CManufacturerRegistry::SetSharedFolder(m_registry);
    }
    void TearDown() override
    {
        GuiTest::TearDown();
        std::filesystem::remove_all(m_registry);
    }
    // Shown as 44:55:33:00:11:22, 05:06:04:01:02:03 and FE:FF:FD:FA:FB:FC.
    void StartWithThree()
    {
        AccessPointState state;
        state.devices = {Paired({0x00, 0x11, 0x22, 0x33, 0x44, 0x55}), Paired({0x01, 0x02, 0x03, 0x04, 0x05, 0x06}),
                         Paired({0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF})};
        StartDevice(state);
    }
    static CLinkPage& Page(CMainDlg& main) { return *static_cast<CLinkPage*>(main.GetTabCtrl().GetItemData(0)); }
    static std::string Count(CMainDlg& main)
    {
        return Page(main).GetDlgItem<Gtk::Label>(IDC_LINK_COUNT)->get_text();
    }
    static void Key(CMainDlg& main, guint keyval, GdkModifierType state)
    {
        SendKey(*main.GetToplevel(), keyval, state);
    }
    static std::string Clipboard() { return Gtk::Clipboard::get()->wait_for_text(); }

    std::string m_registry;
};

TEST_F(LinkPageExtrasTest, EachEntryShowsItsMakerAndTheCountIsAboveTheList)
{
    StartWithThree();
    RunMainWindow([](CMainDlg& main) {
        CLinkPage& page = Page(main);
        EXPECT_EQ(page.GetLinkList().GetManufacturers(),
                  (std::vector<std::string>{"Forty-Four, Inc.", "Medium Block Owner", ""}))
            << "the longest block wins; an address in no block has no maker";
        EXPECT_EQ(Count(main), "3 paired devices");
        auto* view = page.GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST);
        ASSERT_EQ(view->get_n_columns(), 2u);
        EXPECT_EQ(view->get_column(0)->get_title(), "Address");
        EXPECT_EQ(view->get_column(1)->get_title(), "Manufacturer");
    });
}

TEST_F(LinkPageExtrasTest, TheCountSaysOneOrNone)
{
    AccessPointState one;
    one.devices = {Paired({0x00, 0x11, 0x22, 0x33, 0x44, 0x55})};
    StartDevice(one);
    RunMainWindow([](CMainDlg& main) { EXPECT_EQ(Count(main), "1 paired device"); });
    StartDevice();
    RunMainWindow([](CMainDlg& main) { EXPECT_EQ(Count(main), "No paired devices"); });
}

TEST_F(LinkPageExtrasTest, AMissingRegistryLeavesTheMakersEmptyAndChangesNothingElse)
{
    CManufacturerRegistry::SetSharedFolder(m_registry + "/absent");
    StartWithThree();
    RunMainWindow([](CMainDlg& main) {
        EXPECT_EQ(Page(main).GetLinkList().GetManufacturers(), (std::vector<std::string>{"", "", ""}));
        EXPECT_EQ(Page(main).GetLinkList().GetTexts().size(), 3u);
        EXPECT_EQ(Count(main), "3 paired devices");
    });
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(LinkPageExtrasTest, CtrlCCopiesExactlyTheSelectedAddressesInListOrder)
{
    StartWithThree();
    std::string copied;
    RunMainWindow([&](CMainDlg& main) {
        CLinkPage& page = Page(main);
        page.GetLinkList().SetSel(2, true);
        page.GetLinkList().SetSel(0, true);
        page.GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST)->grab_focus();
        Gtk::Clipboard::get()->set_text("before");
        Key(main, GDK_KEY_c, GDK_CONTROL_MASK);
        copied = Clipboard();
    });
    EXPECT_EQ(copied, "44:55:33:00:11:22\nFE:FF:FD:FA:FB:FC");
}

TEST_F(LinkPageExtrasTest, TheListsMenuCopiesTheSelectionAndARightClickSelectsTheEntryUnderIt)
{
    StartWithThree();
    std::string viaMenu, viaClick, label;
    RunMainWindow([&](CMainDlg& main) {
        CLinkPage& page = Page(main);
        auto* view = page.GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST);
        GList* attached = gtk_menu_get_for_attach_widget(GTK_WIDGET(view->gobj()));
        ASSERT_EQ(g_list_length(attached), 1u);
        std::vector<Gtk::Menu*> menus{Glib::wrap(GTK_MENU(attached->data))};
        std::vector<Gtk::Widget*> items = menus[0]->get_children();
        ASSERT_EQ(items.size(), 1u);
        auto* copy = dynamic_cast<Gtk::MenuItem*>(items[0]);
        label = copy->get_label();
        page.GetLinkList().SetSel(1, true);
        copy->activate();
        viaMenu = Clipboard();

        // A right click on entry 2, outside the selection, selects it alone.
        PumpEvents();  // laid out, so that the entries have their places
        Gdk::Rectangle cell;
        view->get_cell_area(Gtk::TreeModel::Path("2"), *view->get_column(0), cell);
        GdkEvent* press = gdk_event_new(GDK_BUTTON_PRESS);
        press->button.window = GDK_WINDOW(g_object_ref(view->get_bin_window()->gobj()));
        press->button.send_event = TRUE;
        press->button.button = 3;
        press->button.x = cell.get_x() + 5;
        press->button.y = cell.get_y() + cell.get_height() / 2;
        gdk_event_set_device(press, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_widget_event(GTK_WIDGET(view->gobj()), press);
        gdk_event_free(press);
        EXPECT_EQ(page.GetLinkList().GetSelectedTexts(), std::vector<std::string>{"FE:FF:FD:FA:FB:FC"});
        EXPECT_TRUE(menus[0]->get_visible()) << "the menu opened at the click";
        copy->activate();
        menus[0]->popdown();
        viaClick = Clipboard();
    });
    EXPECT_EQ(label, "Copy address");
    EXPECT_EQ(viaMenu, "05:06:04:01:02:03");
    EXPECT_EQ(viaClick, "FE:FF:FD:FA:FB:FC");
}

TEST_F(LinkPageExtrasTest, PageKeysWorkFromTheListAndShowPagesAsATabClickDoes)
{
    StartWithThree();
    std::vector<int> pages;
    std::vector<bool> pinShown;
    RunMainWindow([&](CMainDlg& main) {
        auto* notebook = main.GetDlgItem<Gtk::Notebook>(IDC_TAB);
        CDialog* pin = main.GetTabCtrl().GetItemData(1);
        Page(main).GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST)->grab_focus();
        Key(main, GDK_KEY_Page_Down, GDK_CONTROL_MASK);
        pages.push_back(notebook->get_current_page());
        pinShown.push_back(pin->IsWindowVisible());
        pinShown.push_back(Page(main).IsWindowVisible());
        Key(main, GDK_KEY_3, GDK_MOD1_MASK);
        pages.push_back(notebook->get_current_page());
        Key(main, GDK_KEY_Page_Down, GDK_CONTROL_MASK);  // from the last page round to the first
        pages.push_back(notebook->get_current_page());
        Key(main, GDK_KEY_3, GDK_MOD1_MASK);  // shown again: not read again
        pages.push_back(notebook->get_current_page());
        Key(main, GDK_KEY_Page_Up, GDK_CONTROL_MASK);
        pages.push_back(notebook->get_current_page());
        Key(main, GDK_KEY_1, GDK_MOD1_MASK);
        pages.push_back(notebook->get_current_page());
    });
    EXPECT_EQ(pages, (std::vector<int>{1, 2, 0, 2, 1, 0}));
    EXPECT_EQ(pinShown, (std::vector<bool>{true, false}));
    EXPECT_EQ(Commands(), (std::vector<ApCommand>{ApCommand::LinkRead, ApCommand::NameRead}))
        << "the name page read its name once; the list was read once";
}

TEST_F(LinkPageExtrasTest, ControlTabStepsThroughThePagesBothWays)
{
    StartWithThree();
    std::vector<int> pages;
    RunMainWindow([&](CMainDlg& main) {
        Page(main).GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST)->grab_focus();
        const auto shiftControl = static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_SHIFT_MASK);
        for (const auto& [key, state] : {std::pair<guint, GdkModifierType>{GDK_KEY_Tab, GDK_CONTROL_MASK},
                                         {GDK_KEY_Tab, GDK_CONTROL_MASK},
                                         {GDK_KEY_Tab, GDK_CONTROL_MASK},
                                         {GDK_KEY_ISO_Left_Tab, shiftControl},
                                         {GDK_KEY_ISO_Left_Tab, shiftControl}}) {
            Key(main, key, state);
            pages.push_back(main.GetTabCtrl().GetCurSel());
        }
    });
    EXPECT_EQ(pages, (std::vector<int>{1, 2, 0, 2, 1}));
}

}  // namespace
