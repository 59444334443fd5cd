#include <gtkmm/treeview.h>

#include <array>

#include "app/resource_ids.h"
#include "tests/gui/gui_test.h"

// The pages delete themselves once the main window is gone; their widgets
// must go too, or the toolkit keeps calling into objects that no longer
// exist. The dialog count cannot see this, and neither can the leak checker:
// the toolkit still holds the widgets at exit.
namespace {

// Set when the widget is finalized. Static: a widget that is never
// finalized must not be left pointing into a dead stack frame.
std::array<bool, 4> g_finalized;

void Watch(Gtk::Widget* widget, size_t slot)
{
    g_finalized[slot] = false;
    g_object_weak_ref(
        G_OBJECT(widget->gobj()), [](gpointer data, GObject*) { g_finalized[GPOINTER_TO_SIZE(data)] = true; },
        GSIZE_TO_POINTER(slot));
}

using PageWidgets = GuiTest;

TEST_F(PageWidgets, GoWithTheirPages)
{
    StartDevice();
    RunMainWindow([](CMainDlg& main) {
        for (int i = 0; i < 3; ++i)
            Watch(main.GetTabCtrl().GetItemData(i)->GetWindow(), static_cast<size_t>(i));
        Watch(main.GetTabCtrl().GetItemData(0)->GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST), 3);
    });
    PumpEvents();
    EXPECT_TRUE(g_finalized[0]) << "paired devices page";
    EXPECT_TRUE(g_finalized[1]) << "PIN code page";
    EXPECT_TRUE(g_finalized[2]) << "device name page";
    EXPECT_TRUE(g_finalized[3]) << "paired devices list";
}

}  // namespace
