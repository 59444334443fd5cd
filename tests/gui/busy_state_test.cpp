// What the user sees while the program waits for the device: the busy
// cursor over the waiting window, and what it waits for, drawn before the
// request goes out; both gone once the outcome is known.
#include <gtkmm/label.h>

#include <set>

#include "app/framework/wait_cursor.h"
#include "app/pages/link_page.h"
#include "app/pages/pin_page.h"
#include "app/resource_ids.h"
#include "app/utility_app.h"
#include "tests/gui/gui_test.h"
#include "tests/support/fault_plan_with.h"

namespace {

// A port that looks at the screen each time the program waits for a byte.
class CProbingPort : public CSerialPort {
public:
    explicit CProbingPort(std::function<void()> probe) : m_probe(std::move(probe)) {}
    char ReadByteTimeout(int ms) override
    {
        m_probe();
        return CSerialPort::ReadByteTimeout(ms);
    }
    // Byte by byte, so that every byte of a reply is looked at.
    void ReadBytesTimeout(char* buffer, int n, int ms) override
    {
        for (int i = 0; i < n; ++i)
            buffer[i] = ReadByteTimeout(ms);
    }

private:
    std::function<void()> m_probe;
};

// The visible windows that say, in some label, what the program waits for.
std::vector<Gtk::Window*> WindowsSaying(const std::string& text)
{
    std::vector<Gtk::Window*> found;
    std::function<bool(Gtk::Widget*)> says = [&](Gtk::Widget* widget) {
        if (auto* label = dynamic_cast<Gtk::Label*>(widget); label && label->get_text() == text)
            return true;
        if (auto* container = dynamic_cast<Gtk::Container*>(widget))
            for (Gtk::Widget* child : container->get_children())
                if (says(child))
                    return true;
        return false;
    };
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (window->get_visible() && says(window))
            found.push_back(window);
    return found;
}

Gtk::Window* MainWindow()
{
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (CDialog* dialog = CDialog::FromWidget(window); dialog && dialog->GetTemplateId() == IDD_MAIN)
            return window;
    return nullptr;
}

std::string Status(CMainDlg& main)
{
    auto* page = main.GetTabCtrl().GetItemData(0);
    return page ? std::string(page->GetDlgItem<Gtk::Label>(IDC_LINK_COUNT)->get_text()) : std::string();
}

using BusyStateTest = GuiTest;

TEST_F(BusyStateTest, ASlowListingShowsWhatItReadsUnderTheBusyCursorThenTheCount)
{
    AccessPointState state;
    state.devices.resize(3);
    StartDevice(state);
    Device().SetFaults(With([](FaultPlan& f) { f.delayMsPerByte = 2; }));
    std::set<std::pair<bool, std::string>> seen;
    bool visible = true;
    auto port = std::make_unique<CProbingPort>([&] {
        Gtk::Window* window = MainWindow();
        visible = visible && window && window->get_visible();
        CMainDlg* main = window ? static_cast<CMainDlg*>(CDialog::FromWidget(window)) : nullptr;
        seen.emplace(window && CWaitCursor::IsShownOn(*window), main ? Status(*main) : "");
    });
    RunMainWindow(
        [&](CMainDlg& main) {
            EXPECT_FALSE(CWaitCursor::IsShownOn(*main.GetToplevel())) << "the cursor is back once the list is read";
            EXPECT_EQ(Status(main), "3 paired devices");
        },
        std::move(port));
    EXPECT_TRUE(visible) << "the window is on screen while its first listing is read";
    EXPECT_EQ(seen, (std::set<std::pair<bool, std::string>>{{true, S(IDS_READING_LINKS)}}))
        << "every wait for a byte ran under the busy cursor, with the reading line showing";
}

TEST_F(BusyStateTest, APinChangeWaitsUnderTheBusyCursorAndTheBoxComesAfter)
{
    StartDevice();
    std::vector<bool> busyWhileWaiting;
    bool busyAtTheBox = true;
    auto port = std::make_unique<CProbingPort>([&] {
        if (Gtk::Window* window = MainWindow())
            busyWhileWaiting.push_back(CWaitCursor::IsShownOn(*window));
    });
    m_responder.Answer({IDOK});
    m_responder.OnBox([&](const CRecordingResponder::Box& box) {
        if (box.textId == IDS_UPDATE_DONE)
            busyAtTheBox = CWaitCursor::IsShownOn(*MainWindow());
    });
    RunMainWindow(
        [&](CMainDlg& main) {
            busyWhileWaiting.clear();  // the first listing
            SelectTab(main, 1);
            CDialog& page = *main.GetTabCtrl().GetItemData(1);
            page.SetDlgItemText(IDC_PIN_IN_FORCE, "0000");
            page.GetDlgItem<Gtk::Button>(IDC_CHANGE_PIN)->clicked();
        },
        std::move(port));
    EXPECT_EQ(m_responder.TextIds(), (std::vector<int>{IDS_CONFIRM_PIN, IDS_UPDATE_DONE}));
    ASSERT_EQ(busyWhileWaiting.size(), 3u) << "the three bytes of the acknowledgement";
    EXPECT_EQ(busyWhileWaiting, (std::vector<bool>{true, true, true}));
    EXPECT_FALSE(busyAtTheBox);
}

// The application with a port the test looks through.
class CProbedApp : public CUtilityApp {
public:
    explicit CProbedApp(std::function<void()> probe) : m_probe(std::move(probe)) {}

protected:
    std::unique_ptr<CSerialPort> CreatePort() override { return std::make_unique<CProbingPort>(m_probe); }

private:
    std::function<void()> m_probe;
};

class IdentifyingWindowTest : public GuiTest, public testing::WithParamInterface<bool> {};

TEST_P(IdentifyingWindowTest, ShowsWhileTheDeviceIsAskedAndGoesWhateverItAnswers)
{
    const bool answers = GetParam();
    StartDevice();
    Device().SetFaults(With([answers](FaultPlan& f) {
        f.onCommand = ApCommand::Identify;
        f.delayMsPerByte = 2;
        f.wrongAck = !answers;
    }));
    const std::string asking = "Asking COM5 for the access point…";
    int waits = 0, shownBusy = 0;
    bool portDialogGone = true;
    CProbedApp app([&] {
        ++waits;
        const auto windows = WindowsSaying(asking);
        shownBusy += windows.size() == 1 && CWaitCursor::IsShownOn(*windows[0]);
        portDialogGone = portDialogGone && !FindShown(IDD_PORT_SELECT);
    });
    WhenShown(IDD_PORT_SELECT, [](CDialog& dialog) { Respond(dialog, Gtk::RESPONSE_OK); });
    bool goneAtTheMainWindow = false;
    if (answers)
        WhenShown(IDD_MAIN, [&](CDialog& main) {
            goneAtTheMainWindow = WindowsSaying(asking).empty();
            main.EndDialog(IDOK);
        });
    bool goneAtTheBox = false;
    m_responder.OnBox([&](const CRecordingResponder::Box&) { goneAtTheBox = WindowsSaying(asking).empty(); });
    app.InitInstance();
    app.ExitInstance();

    EXPECT_GT(waits, 0);
    // The first listing and the closing exchange wait too, without it.
    EXPECT_GE(shownBusy, answers ? 33 : 1) << "each byte of the answer was awaited with the window up and busy";
    EXPECT_TRUE(portDialogGone);
    if (answers)
        EXPECT_TRUE(goneAtTheMainWindow);
    else
        EXPECT_TRUE(goneAtTheBox) << "gone before the no-access-point message";
    EXPECT_EQ(m_responder.TextIds(), answers ? std::vector<int>{} : std::vector<int>{IDS_NO_ACCESS_POINT});
    EXPECT_TRUE(WindowsSaying(asking).empty());
}

INSTANTIATE_TEST_SUITE_P(AnswerOrNot, IdentifyingWindowTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "Answered" : "WrongAnswer"; });

}  // namespace
