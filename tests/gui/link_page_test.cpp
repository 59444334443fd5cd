#include <gtkmm/button.h>
#include <gtkmm/treeview.h>

#include <cstring>

#include "app/pages/link_page.h"
#include "app/resource_ids.h"
#include "tests/gui/gui_test.h"
#include "tests/support/scripted_port.h"

// The paired devices page over the real port to the simulated access point.
namespace {

LinkRecord MakeDevice(std::initializer_list<int> address, int keySeed)
{
    LinkRecord record{};
    int i = 0;
    for (int byte : address)
        record.address[i++] = static_cast<unsigned char>(byte);
    for (int k = 0; k < kLinkKeyBytes; ++k)
        record.linkKey[k] = static_cast<unsigned char>(keySeed + k);
    return record;
}

std::string Address(const LinkRecord& record)
{
    return std::string(reinterpret_cast<const char*>(record.address), kAddressBytes);
}

class LinkPageTest : public GuiTest {
protected:
    void StartWithThree()
    {
        AccessPointState state;
        state.devices = {MakeDevice({0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, 0xA0),
                         MakeDevice({0x01, 0x02, 0x03, 0x04, 0x05, 0x06}, 0xB0),
                         MakeDevice({0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF}, 0xC0)};
        m_devices = state.devices;
        StartDevice(state);
    }
    static CLinkPage& Page(CMainDlg& main) { return *static_cast<CLinkPage*>(main.GetTabCtrl().GetItemData(0)); }
    static bool DeleteEnabled(CLinkPage& page) { return page.GetDlgItem(IDC_DELETE_LINKS)->get_sensitive(); }
    static void PressDelete(CLinkPage& page) { page.GetDlgItem<Gtk::Button>(IDC_DELETE_LINKS)->clicked(); }
    // Selects the row at index and presses delete.
    static CLinkPage& DeleteRow(CMainDlg& main, int index)
    {
        CLinkPage& page = Page(main);
        page.GetLinkList().SetSel(index, true);
        PressDelete(page);
        return page;
    }

    std::vector<LinkRecord> m_devices;
};

TEST_F(LinkPageTest, EmptyListShowsNothingAndCannotDelete)
{
    StartDevice();
    RunMainWindow([](CMainDlg& main) {
        EXPECT_EQ(Page(main).GetLinkList().GetCount(), 0);
        EXPECT_FALSE(DeleteEnabled(Page(main)));
    });
    EXPECT_TRUE(m_responder.Boxes().empty());
    EXPECT_EQ(Commands(), std::vector<ApCommand>{ApCommand::LinkRead});
}

TEST_F(LinkPageTest, EntriesShowAddressesOnlyInTheirDisplayOrder)
{
    StartWithThree();
    RunMainWindow([](CMainDlg& main) {
        CLinkPage& page = Page(main);
        EXPECT_EQ(page.GetLinkList().GetTexts(),
                  (std::vector<std::string>{"44:55:33:00:11:22", "05:06:04:01:02:03", "FE:FF:FD:FA:FB:FC"}));
        auto* view = page.GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST);
        ASSERT_EQ(view->get_n_columns(), 2u) << "the address and its maker, never the link key";
        EXPECT_FALSE(DeleteEnabled(page)) << "nothing selected after a listing";
    });
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(LinkPageTest, SelectionEnablesDelete)
{
    StartWithThree();
    RunMainWindow([](CMainDlg& main) {
        CLinkPage& page = Page(main);
        page.GetLinkList().SetSel(1, true);
        EXPECT_TRUE(DeleteEnabled(page));
        page.GetLinkList().SetSel(2, true);
        page.GetLinkList().SetSel(1, false);
        EXPECT_TRUE(DeleteEnabled(page));
        page.GetLinkList().SetSel(2, false);
        EXPECT_FALSE(DeleteEnabled(page));
    });
}

TEST_F(LinkPageTest, DeletingTwoOfThreeSendsThemInListOrderAndRelists)
{
    StartWithThree();
    RunMainWindow([this](CMainDlg& main) {
        CLinkPage& page = Page(main);
        page.GetLinkList().SetSel(2, true);
        page.GetLinkList().SetSel(0, true);
        PressDelete(page);
        EXPECT_EQ(page.GetLinkList().GetTexts(), std::vector<std::string>{"05:06:04:01:02:03"});
        EXPECT_EQ(page.GetLinkList().GetSelCount(), 0);
        EXPECT_FALSE(DeleteEnabled(page));
    });
    EXPECT_EQ(m_responder.TextIds(), (std::vector<int>{IDS_CONFIRM_DELETE, IDS_DELETE_DONE}));
    EXPECT_EQ(m_responder.Boxes()[0].style, MB_OKCANCEL);
    EXPECT_EQ(m_responder.Boxes()[1].caption, S(IDS_LINK_CAPTION));
    auto exchanges = Device().Exchanges();
    ASSERT_EQ(exchanges.size(), 3u);
    EXPECT_EQ(exchanges[1].command, ApCommand::LinkDelete);
    EXPECT_EQ(exchanges[1].payload, std::string("\x02\x00", 2) + Address(m_devices[0]) + Address(m_devices[2]));
    EXPECT_EQ(exchanges[2].command, ApCommand::LinkRead);
}

TEST_F(LinkPageTest, CancelledConfirmationSendsNothing)
{
    StartWithThree();
    m_responder.Answer({IDCANCEL});
    RunMainWindow([](CMainDlg& main) {
        CLinkPage& page = DeleteRow(main, 0);
        EXPECT_EQ(page.GetLinkList().GetCount(), 3);
        EXPECT_EQ(page.GetLinkList().GetSelCount(), 1);
    });
    EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_CONFIRM_DELETE});
    EXPECT_EQ(Commands(), std::vector<ApCommand>{ApCommand::LinkRead});
}

TEST_F(LinkPageTest, RefusedDeletionLeavesListAndSelection)
{
    StartWithThree();
    FaultOn(ApCommand::LinkDelete, [](FaultPlan& refuse) { refuse.wrongAck = true; });
    RunMainWindow([](CMainDlg& main) {
        CLinkPage& page = DeleteRow(main, 1);
        EXPECT_EQ(page.GetLinkList().GetCount(), 3);
        EXPECT_EQ(page.GetLinkList().GetSelCount(), 1);
        EXPECT_TRUE(DeleteEnabled(page));
    });
    EXPECT_EQ(m_responder.TextIds(), (std::vector<int>{IDS_CONFIRM_DELETE, IDS_DELETE_FAILED}));
    EXPECT_EQ(Commands(), (std::vector<ApCommand>{ApCommand::LinkRead, ApCommand::LinkDelete}));
}

TEST_F(LinkPageTest, AcceptedDeletionWithAFailedRelistingShowsBothMessages)
{
    StartWithThree();
    FaultOn(ApCommand::LinkRead, [](FaultPlan& second) { second.wrongAck = true; }, 2);
    RunMainWindow([](CMainDlg& main) {
        CLinkPage& page = DeleteRow(main, 0);
        EXPECT_EQ(page.GetLinkList().GetCount(), 0);
        EXPECT_FALSE(DeleteEnabled(page));
    });
    EXPECT_EQ(m_responder.TextIds(), (std::vector<int>{IDS_CONFIRM_DELETE, IDS_LIST_FAILED, IDS_DELETE_DONE}));
}

TEST_F(LinkPageTest, ListingFailingInItsThirdRecordDropsEverything)
{
    StartWithThree();
    FaultOn(ApCommand::LinkRead, [](FaultPlan& cut) { cut.cutAfter = 3 + 2 + 22 + 22 + 10; });
    SpeedUpClock();
    RunMainWindow([this](CMainDlg& main) {
        EXPECT_EQ(Page(main).GetLinkList().GetCount(), 0);
        EXPECT_FALSE(DeleteEnabled(Page(main)));
        // Showing the page again does not list again.
        SelectTab(main, 1);
        SelectTab(main, 0);
    });
    EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_LIST_FAILED});
    EXPECT_EQ(m_responder.Boxes()[0].style, MB_OK);
    EXPECT_EQ(Commands(), std::vector<ApCommand>{ApCommand::LinkRead});
}

TEST_F(LinkPageTest, RefusedListingDiscardsWhatCameWithIt)
{
    StartWithThree();
    FaultOn(ApCommand::LinkRead, [](FaultPlan& garbage) {
        garbage.wrongAck = true;
        garbage.garbageBytes = 40;
    });
    RunMainWindow([](CMainDlg& main) {
        EXPECT_EQ(Page(main).GetLinkList().GetCount(), 0);
    });
    EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_LIST_FAILED});
}

TEST_F(LinkPageTest, LargestListStaysUsable)
{
    // The reply comes from a scripted port: this is about the list, and an
    // unthrottled pty may outrun a loaded machine's reader.
    const std::vector<LinkRecord> devices = GenerateDevices(kMaxPairedDevices);
    std::string reply = std::string("OK\n") + "\xFF\xFF";
    for (const LinkRecord& device : devices)
        reply.append(reinterpret_cast<const char*>(&device), sizeof device);
    CScriptedPort port(reply + "OK\n", 2 << 20);
    CMainDlg main(&port);
    WhenShown(IDD_MAIN, [&devices](CDialog& shown) {
        CLinkListBox& list = Page(static_cast<CMainDlg&>(shown)).GetLinkList();
        EXPECT_EQ(list.GetCount(), 65535);
        list.SetSel(65534, true);
        list.SetSel(0, true);
        auto chosen = list.GetSelectedRecords();
        EXPECT_EQ(chosen.size(), 2u);
        if (chosen.size() == 2) {
            EXPECT_EQ(std::memcmp(&chosen[0], &devices.front(), sizeof(LinkRecord)), 0);
            EXPECT_EQ(std::memcmp(&chosen[1], &devices.back(), sizeof(LinkRecord)), 0);
        }
        EXPECT_EQ(list.GetTexts().back(), FormatLinkAddress(devices.back()));
        shown.EndDialog(IDOK);
    });
    main.DoModal();
    EXPECT_TRUE(m_responder.Boxes().empty());
    EXPECT_EQ(port.Unread(), 3) << "the whole listing was read, nothing more";
}

}  // namespace
