#include <gmock/gmock.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>

#include <chrono>
#include <memory>

#include "app/pages/link_page.h"
#include "app/pages/pin_page.h"
#include "app/resource_ids.h"
#include "app/utility_app.h"
#include "protocol/commands.h"
#include "protocol/line_settings.h"
#include "serial/posix/tty_device.h"
#include "serial/reply_readers.h"
#include "tests/faults/fault_matrix.h"
#include "tests/faults/watched_port.h"
#include "tests/gui/gui_test.h"

// Commands read by name when a check fails.
void PrintTo(ApCommand command, std::ostream* os)
{
    *os << CommandName(command);
}

// Every device fault of the matrix in every exchange it can hit, through the
// real program: start-up's InitInstance for the identification and the end,
// the real pages over the real port and tty driver for the rest, against the
// simulated access point. Each cell checks the boxes the user sees (exactly),
// the state of the page, that the cell ends, the line for the next exchange
// and that every dialog object is gone again.
namespace {

using std::chrono::seconds;
// The 10000 ms a byte may take pass in 500 ms: quick to time out, slow
// enough for a loaded machine to deliver a sound reply in time.
constexpr uint32_t kClockFactor = 20;
constexpr seconds kHangupPatience(10);
constexpr int kDevices = 3;
constexpr size_t kListingReplyBytes = 3 + kCountBytes + kDevices * sizeof(LinkRecord);
const char* const kPin = "0000";  // the device's PIN, changed to itself

int CaptionOf(EExchange exchange)
{
    switch (exchange) {
    case EExchange::Listing:
    case EExchange::Deletion: return IDS_LINK_CAPTION;
    case EExchange::NameRead:
    case EExchange::NameChange: return IDS_NAME_CAPTION;
    case EExchange::PinChange: return IDS_PIN_CAPTION;
    default: return 0;
    }
}

class FaultMatrix : public GuiTest, public testing::WithParamInterface<FaultCell> {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        m_nLiveAtStart = CDialog::LiveCount();
        SpeedUpClock(kClockFactor);
    }
    void TearDown() override
    {
        if (m_port)
            m_port->Close();
        m_port.reset();
        GuiTest::TearDown();
    }

    const FaultCell& Cell() const { return GetParam(); }

    void RunThroughStartup();
    void RunOnPages();
    void FloodThenUnplug();
    void Act(CMainDlg& main);
    void CheckPage(CMainDlg& main);
    void Probe(CMainDlg& main);
    std::vector<ApCommand> ExpectedPageCommands() const;

    static CLinkPage& LinkPage(CMainDlg& main) { return *static_cast<CLinkPage*>(main.GetTabCtrl().GetItemData(0)); }
    static CDialog& Page(CMainDlg& main, int index) { return *main.GetTabCtrl().GetItemData(index); }
    static std::string NameShown(CMainDlg& main)
    {
        return Page(main, 2).GetDlgItem<Gtk::Entry>(IDC_NAME)->get_text();
    }
    static void ChangePin(CMainDlg& main)
    {
        SelectTab(main, 1);
        CDialog& page = Page(main, 1);
        for (int edit : {IDC_PIN_IN_FORCE, IDC_PIN_NEW, IDC_PIN_AGAIN})
            page.GetDlgItem<Gtk::Entry>(edit)->set_text(kPin);
        page.GetDlgItem<Gtk::Button>(IDC_CHANGE_PIN)->clicked();
    }
    // The boxes shown, by string number; the one that names the port and
    // says it is gone (a composed text) as kPortGoneBox.
    std::vector<int> ShownBoxes() const
    {
        std::vector<int> ids;
        for (const auto& box : m_responder.Boxes()) {
            const bool gone = box.textId == 0 && box.text.find("COM5") != std::string::npos &&
                              box.text.find(": gone.") != std::string::npos;
            ids.push_back(gone ? kPortGoneBox : box.textId);
        }
        return ids;
    }
    bool PortIsFree() const
    {
        int fd = CTtyDevice::OpenExclusive("COM5");
        CTtyDevice::CloseExclusive(fd);
        return fd >= 0;
    }

    int m_nLiveAtStart = 0;
    std::unique_ptr<CWatchedPort> m_port;
    size_t m_nDeliveredBefore = 0;
    std::vector<int> m_probeBoxes;
};

TEST_P(FaultMatrix, Cell)
{
    AccessPointState state;
    state.devices = GenerateDevices(kDevices);
    state.pin = kPin;
    StartDevice(state);
    Device().SetFaults(PlanFor(Cell()));
    if (IsStartupExchange(Cell().exchange))
        RunThroughStartup();
    else
        RunOnPages();
    EXPECT_EQ(CDialog::LiveCount(), m_nLiveAtStart) << "every dialog object is gone";
}

void FaultMatrix::RunThroughStartup()
{
    const bool identification = Cell().exchange == EExchange::Identification;
    bool mainShown = false;
    WhenShown(IDD_PORT_SELECT, [](CDialog& dialog) { Respond(dialog, Gtk::RESPONSE_OK); });
    WhenShown(IDD_MAIN, [&](CDialog& main) {
        mainShown = true;
        if (Cell().fault == EFault::GoneBeforeExit) {
            EXPECT_TRUE(Device().WaitForHangup(kHangupPatience));
        }
        main.EndDialog(IDOK);
    });
    CUtilityApp app;
    EXPECT_EQ(app.InitInstance(), FALSE);
    app.ExitInstance();

    EXPECT_EQ(ShownBoxes(), Cell().messages);
    if (identification) {
        ASSERT_EQ(m_responder.Boxes().size(), 1u);
        EXPECT_EQ(m_responder.Boxes()[0].style, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_FALSE(mainShown);
        // A stray "EXIT\n" shows when the host waits for its reply; after a
        // flood its reply is there at once and the port may close before the
        // request leaves, and after a hang-up nothing arrives at all.
        EXPECT_EQ(Device().Received(), kIdentifyQuestion) << "nothing more is sent, no \"EXIT\\n\"";
    } else {
        EXPECT_TRUE(mainShown);
        std::vector<ApCommand> expected{ApCommand::Identify, ApCommand::LinkRead};
        if (Cell().fault != EFault::GoneBeforeExit)
            expected.push_back(ApCommand::Exit);
        EXPECT_EQ(Commands(), expected);
    }
    // A line that hung up took its link with it; any other port is free again.
    if (Cell().fault != EFault::HangUp && Cell().fault != EFault::GoneBeforeExit) {
        EXPECT_TRUE(PortIsFree()) << "the port was closed";
    }
}

void FaultMatrix::RunOnPages()
{
    m_port = std::make_unique<CWatchedPort>();
    const DCB settings = AccessPointLineSettings();
    ASSERT_TRUE(m_port->Open(kPort, &settings));
    SetReplyTimeout(kConversationTimeoutMs);
    // Let the flood fill the ring before the listing reads: its discard then
    // meets all of it. Read as it comes, the discard may end before the last
    // of it arrives, and what comes later starts the next reply (with no
    // fixed outcome to test).
    const bool listingFlood = Cell().fault == EFault::GarbageFlood && Cell().exchange == EExchange::Listing;
    if (listingFlood) {
        m_nDeliveredBefore = m_port->Delivered();
        m_port->HoldNextRead(kGarbageFloodBytes + kListingReplyBytes);
    }
    if (Cell().fault == EFault::UnplugAfterFlood)
        FloodThenUnplug();

    CMainDlg main(m_port.get());
    const auto opened = std::chrono::steady_clock::now();
    WhenShown(IDD_MAIN, [this, opened](CDialog& shown) {
        auto& main = static_cast<CMainDlg&>(shown);
        // Far beyond what the failed listing may take; a freeze never ends.
        if (Cell().fault == EFault::UnplugAfterFlood) {
            EXPECT_LT(std::chrono::steady_clock::now() - opened, kHangupPatience) << "the listing did not end in time";
        }
        Act(main);
        CheckPage(main);
        Probe(main);
        shown.EndDialog(IDOK);
    });
    main.DoModal();

    // The cell's own boxes, then the probe's.
    std::vector<int> expected = Cell().messages;
    expected.insert(expected.end(), m_probeBoxes.begin(), m_probeBoxes.end());
    EXPECT_EQ(ShownBoxes(), expected);
    for (size_t i = 0; i < Cell().messages.size() && i < m_responder.Boxes().size(); ++i)
        if (Cell().messages[i] != kPortGoneBox) {
            EXPECT_EQ(m_responder.Boxes()[i].captionId, CaptionOf(Cell().exchange)) << "box " << i;
        }
    // A probe that fails on leftovers drops what of its request had not gone
    // out when it failed: all of it, or all but what the worker had already
    // sent, so the device may or may not have taken its command.
    const std::vector<ApCommand> commands = ExpectedPageCommands();
    Device().WaitForExchanges(commands.size(), kHangupPatience);
    if (Cell().line == ELineAfter::TailLeft) {
        std::vector<ApCommand> probeArrived = commands;
        probeArrived.push_back(ApCommand::PinUpdate);
        EXPECT_THAT(Commands(), testing::AnyOf(testing::Eq(commands), testing::Eq(probeArrived)));
    } else {
        EXPECT_EQ(Commands(), commands);
    }
}

// More than a ring of bytes that nobody reads, the answer to a request sent
// before the main window opens; once the ring is full and the rest waits in
// the driver, the adapter is pulled out and the device is gone.
void FaultMatrix::FloodThenUnplug()
{
    m_port->WriteString(kNameReadCommand);
    ASSERT_TRUE(m_port->WaitForFullRing()) << "the flood did not fill the ring";
    m_port->Unplug();
    Device().Stop();
}

// Does what the user does to start the cell's exchange; the listing needs
// nothing, it runs as the window shows.
void FaultMatrix::Act(CMainDlg& main)
{
    switch (Cell().exchange) {
    case EExchange::Deletion:
        LinkPage(main).GetLinkList().SetSel(1, true);
        LinkPage(main).GetDlgItem<Gtk::Button>(IDC_DELETE_LINKS)->clicked();
        break;
    case EExchange::NameRead: SelectTab(main, 2); break;
    case EExchange::NameChange:
        SelectTab(main, 2);
        WhenShown(IDD_NAME_EDIT, [](CDialog& entry) {
            entry.GetDlgItem<Gtk::Entry>(IDC_NAME)->set_text("Hall");
            Respond(entry, Gtk::RESPONSE_OK);
        });
        Page(main, 2).GetDlgItem<Gtk::Button>(IDC_CHANGE_NAME)->clicked();
        break;
    case EExchange::PinChange: ChangePin(main); break;
    default: break;
    }
}

// What the page shows once the failure has been reported.
void FaultMatrix::CheckPage(CMainDlg& main)
{
    switch (Cell().exchange) {
    case EExchange::Listing:
        EXPECT_EQ(LinkPage(main).GetLinkList().GetCount(), 0);
        EXPECT_FALSE(LinkPage(main).GetDlgItem(IDC_DELETE_LINKS)->get_sensitive());
        if (Cell().fault == EFault::GarbageFlood) {
            EXPECT_TRUE(m_port->HoldWasMet()) << "the flood did not fill the ring";
            EXPECT_EQ(m_port->WaitingAtRelease(), CSerialPort::kRingCapacity);
            EXPECT_TRUE(m_port->IsReceiveEmpty()) << "the discard emptied the ring and the driver";
            EXPECT_EQ(m_port->Delivered() - m_nDeliveredBefore, kGarbageFloodBytes + kListingReplyBytes)
                << "every byte of flood and reply came through the ring: none was dropped";
        }
        if (Cell().fault == EFault::UnplugAfterFlood) {
            EXPECT_TRUE(m_port->IsReceiveEmpty()) << "the discard ended with nothing left to wait for";
        }
        break;
    case EExchange::Deletion:
        EXPECT_EQ(LinkPage(main).GetLinkList().GetCount(), kDevices);
        EXPECT_EQ(LinkPage(main).GetLinkList().GetSelCount(), 1);
        EXPECT_TRUE(LinkPage(main).GetDlgItem(IDC_DELETE_LINKS)->get_sensitive());
        break;
    case EExchange::NameRead:
        EXPECT_EQ(NameShown(main), Cell().messages.empty() ? std::string(kMaxNameReplyBytes, 'n') : "");
        break;
    case EExchange::NameChange: EXPECT_EQ(NameShown(main), "apsim"); break;
    case EExchange::PinChange:
        for (int edit : {IDC_PIN_IN_FORCE, IDC_PIN_NEW, IDC_PIN_AGAIN})
            EXPECT_EQ(Page(main, 1).GetDlgItemText(edit, CPinPage::kMaxPinBytes), kPin);
        break;
    default: break;
    }
}

// A PIN change after the cell shows the line as the next exchange finds it.
void FaultMatrix::Probe(CMainDlg& main)
{
    if (Cell().line == ELineAfter::Gone) {
        ASSERT_TRUE(Device().WaitForHangup(kHangupPatience));
    }
    ChangePin(main);
    const bool works = Cell().line == ELineAfter::Clean;
    const bool gone = Cell().line == ELineAfter::Gone;
    m_probeBoxes = {IDS_CONFIRM_PIN, works ? IDS_UPDATE_DONE : gone ? kPortGoneBox : IDS_UPDATE_FAILED};
    if (works) {
        EXPECT_EQ(m_port->Waiting(), 0) << "nothing was left over";
    }
}

std::vector<ApCommand> FaultMatrix::ExpectedPageCommands() const
{
    // The unplugged adapter carried nothing after the request of the flood.
    if (Cell().fault == EFault::UnplugAfterFlood)
        return {ApCommand::NameRead};
    std::vector<ApCommand> commands{ApCommand::LinkRead};
    switch (Cell().exchange) {
    case EExchange::Deletion: commands.push_back(ApCommand::LinkDelete); break;
    case EExchange::NameRead: commands.push_back(ApCommand::NameRead); break;
    case EExchange::NameChange:
        commands.push_back(ApCommand::NameRead);
        commands.push_back(ApCommand::NameUpdate);
        break;
    case EExchange::PinChange: commands.push_back(ApCommand::PinUpdate); break;
    default: break;
    }
    // The probe never reaches a device that has hung up; one that fails on
    // leftovers may not reach it either.
    if (Cell().line != ELineAfter::Gone && Cell().line != ELineAfter::TailLeft)
        commands.push_back(ApCommand::PinUpdate);
    return commands;
}

std::string NameOf(const testing::TestParamInfo<FaultCell>& info)
{
    return CellName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Identification, FaultMatrix, testing::ValuesIn(CellsOf(EExchange::Identification)), NameOf);
INSTANTIATE_TEST_SUITE_P(Listing, FaultMatrix, testing::ValuesIn(CellsOf(EExchange::Listing)), NameOf);
INSTANTIATE_TEST_SUITE_P(Deletion, FaultMatrix, testing::ValuesIn(CellsOf(EExchange::Deletion)), NameOf);
INSTANTIATE_TEST_SUITE_P(NameRead, FaultMatrix, testing::ValuesIn(CellsOf(EExchange::NameRead)), NameOf);
INSTANTIATE_TEST_SUITE_P(NameChange, FaultMatrix, testing::ValuesIn(CellsOf(EExchange::NameChange)), NameOf);
INSTANTIATE_TEST_SUITE_P(PinChange, FaultMatrix, testing::ValuesIn(CellsOf(EExchange::PinChange)), NameOf);
INSTANTIATE_TEST_SUITE_P(End, FaultMatrix, testing::ValuesIn(CellsOf(EExchange::End)), NameOf);

}  // namespace
