#include <gtkmm/comboboxtext.h>
#include <gtkmm/treeview.h>

#include <string>
#include <vector>

#include "app/framework/combo_box.h"
#include "app/framework/list_view.h"
#include "app/resource_ids.h"
#include "tests/gui/gui_test.h"

// The list view and drop-down through the calls the pages and the port
// dialog make, on the real templates' controls.
namespace {

class FrameworkControlsTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        ASSERT_TRUE(m_page.Create(IDD_LINK_PAGE, &m_owner));
        ASSERT_TRUE(m_list.Attach(&m_page, IDC_LINK_LIST));
        m_list.OnSelChange([this] { ++m_selChanges; });
    }

    std::vector<std::string> Column(int column) const
    {
        std::vector<std::string> texts;
        for (int row = 0; row < m_list.GetItemCount(); ++row)
            texts.push_back(m_list.GetItemText(row, column));
        return texts;
    }

    CDialog m_owner{IDD_MAIN};
    CDialog m_page{IDD_LINK_PAGE};
    CListView m_list;
    int m_selChanges = 0;
};

TEST_F(FrameworkControlsTest, ListInsertsWhereAskedAndReadsBothColumns)
{
    struct Insert {
        int index;
        const char* first;
        int expected;
    };
    for (const Insert& insert : {Insert{0, "b", 0}, Insert{5, "d", 1}, Insert{1, "c", 1}, Insert{0, "a", 0},
                                 Insert{-1, "never", -1}})
        EXPECT_EQ(m_list.InsertItem(insert.index, insert.first, std::string(insert.first) + "2"), insert.expected)
            << insert.first;
    EXPECT_EQ(Column(0), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"a2", "b2", "c2", "d2"}));
    EXPECT_EQ(m_list.GetItemText(4, 0), "");
    EXPECT_EQ(m_list.GetItemText(0, 2), "");
    PumpEvents();
    EXPECT_EQ(m_page.GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST)->get_model()->children().size(), 4u)
        << "the view shows the rows filled while it had none";
}

TEST_F(FrameworkControlsTest, SelectionIsAscendingNotifiesAndGoesWithTheRows)
{
    for (int i = 0; i < 5; ++i)
        m_list.InsertItem(i, std::to_string(i), "");
    for (const auto& [row, selected] : {std::pair{3, true}, {1, true}, {4, true}, {4, false}}) {
        const int before = m_selChanges;
        m_list.SetItemSelected(row, selected);
        EXPECT_GT(m_selChanges, before) << "row " << row << " as the user could: the handler hears of it";
    }
    m_list.SetItemSelected(9, true);  // no such row
    EXPECT_EQ(m_list.GetSelectedItems(), (std::vector<int>{1, 3}));
    EXPECT_EQ(m_list.GetSelectedCount(), 2);
    const int before = m_selChanges;
    m_list.DeleteAllItems();
    EXPECT_EQ(m_list.GetItemCount(), 0);
    EXPECT_EQ(m_list.GetSelectedCount(), 0);
    EXPECT_TRUE(m_list.GetSelectedItems().empty());
    EXPECT_GT(m_selChanges, before) << "emptying a selected list is a selection change";
}

TEST_F(FrameworkControlsTest, DropDownKeepsEachItemsNumberAndHearsOnlyTheUser)
{
    int changes = -1;
    std::vector<int> data;
    int found = 0, missing = 0, badSel = 0, afterBad = 0, afterReset = 0, count = 0;
    WhenShown(IDD_PORT_SELECT, [&](CDialog& dialog) {
        CComboBox ports;
        ASSERT_TRUE(ports.Attach(&dialog, IDC_PORT));
        changes = 0;
        ports.OnSelChange([&changes] { ++changes; });
        for (int number : {7, 4, 12})
            ports.AddString("COM" + std::to_string(number), number);
        for (int i = 0; i < ports.GetCount(); ++i)
            data.push_back(ports.GetItemData(i));
        found = ports.FindItemData(12);
        missing = ports.FindItemData(5);
        EXPECT_TRUE(ports.SetCurSel(found));
        EXPECT_EQ(ports.GetCurSel(), 2);
        badSel = ports.SetCurSel(3) ? 1 : 0;
        afterBad = ports.GetCurSel();
        EXPECT_EQ(changes, 0) << "selecting from code is not the user's choice";
        dialog.GetDlgItem<Gtk::ComboBoxText>(IDC_PORT)->set_active(1);  // the user picks COM4
        EXPECT_EQ(changes, 1);
        EXPECT_EQ(ports.GetItemData(ports.GetCurSel()), 4);
        ports.ResetContent();
        afterReset = ports.GetCurSel();
        count = ports.GetCount();
        EXPECT_EQ(changes, 1);
        Respond(dialog, Gtk::RESPONSE_CANCEL);
    });
    CDialog dialog(IDD_PORT_SELECT);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(data, (std::vector<int>{7, 4, 12}));
    EXPECT_EQ(found, 2);
    EXPECT_EQ(missing, -1);
    EXPECT_EQ(badSel, 0);
    EXPECT_EQ(afterBad, -1) << "a bad index leaves nothing chosen";
    EXPECT_EQ(afterReset, -1);
    EXPECT_EQ(count, 0);
}

}  // namespace
