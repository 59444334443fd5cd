#include <gtkmm/comboboxtext.h>
#include <gtkmm/notebook.h>

#include <gmock/gmock.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/framework/resource_library.h"
#include "app/framework/single_instance_lock.h"
#include "app/port_select_dlg.h"
#include "app/resource_ids.h"
#include "app/utility_app.h"
#include "serial/posix/tty_device.h"
#include "tests/gui/gui_test.h"
#include "tests/gui/run_as_nobody.h"
#include "tests/support/fault_plan_with.h"
#include "tests/support/pty_pair.h"
#include "tests/support/wait_until.h"

// The program's life as InitInstance runs it: single instance, resource
// library, port choice, identification, main window, closing exchange.
namespace {

class StartupTest : public GuiTest {
protected:
    // Records a port dialog or main window that must not appear, and ends it.
    void ForbidDialogs()
    {
        for (int id : {IDD_PORT_SELECT, IDD_MAIN})
            WhenShown(id, [this](CDialog& dialog) {
                m_bForbiddenShown = true;
                dialog.EndDialog(IDCANCEL);
            });
    }
    void ChooseFirstPort()
    {
        WhenShown(IDD_PORT_SELECT, [](CDialog& dialog) { Respond(dialog, Gtk::RESPONSE_OK); });
    }
    // One warning naming COM5 and the cause, and nothing sent to the device.
    void ExpectPortMessage(CRecordingResponder& responder, const std::string& cause)
    {
        ASSERT_EQ(responder.Boxes().size(), 1u);
        EXPECT_THAT(responder.Boxes()[0].text, testing::StartsWith("COM5 (" + DeviceFolder() + "/com5"));
        EXPECT_THAT(responder.Boxes()[0].text, testing::HasSubstr(cause));
        EXPECT_EQ(responder.Boxes()[0].style, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_TRUE(Device().Received().empty());
    }
    bool PortIsFree()
    {
        int fd = CTtyDevice::OpenExclusive("COM5");
        CTtyDevice::CloseExclusive(fd);
        return fd >= 0;
    }

    CUtilityApp m_app;
    bool m_bForbiddenShown = false;
};

TEST_F(StartupTest, SecondInstanceEndsAtOnceSayingSoAndRaisesTheFirst)
{
    CSingleInstanceLock first;
    ASSERT_TRUE(first.Create(CUtilityApp::kInstanceLockName));
    int knocks = 0;
    first.OnKnock([&knocks] { ++knocks; });
    ForbidDialogs();
    testing::internal::CaptureStderr();
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), S(IDS_ALREADY_RUNNING) + "\n");
    m_app.ExitInstance();
    EXPECT_FALSE(m_bForbiddenShown);
    EXPECT_TRUE(m_responder.Boxes().empty());
    EXPECT_TRUE(WaitUntil([&knocks] {
        PumpEvents();
        return knocks == 1;
    })) << "the first instance was told";

    // Once the first instance is gone the name is free again.
    first.Release();
    CSingleInstanceLock again;
    EXPECT_TRUE(again.Create(CUtilityApp::kInstanceLockName));
}

// The running one's window comes to the front when a second start knocks.
TEST_F(StartupTest, ASecondStartBringsThePortDialogToTheFront)
{
    Gtk::Window other;
    bool bActive = false;
    WhenShown(IDD_PORT_SELECT, [&](CDialog& dialog) {
        Gtk::Window& shown = *dialog.GetToplevel();
        other.show();
        other.present();
        if (WaitUntil([&] {
                PumpEvents();
                return other.is_active();
            })) {
            CSingleInstanceLock second;
            EXPECT_FALSE(second.Create(CUtilityApp::kInstanceLockName));
            EXPECT_TRUE(second.AlreadyExists());
            bActive = WaitUntil([&] {
                PumpEvents();
                return shown.is_active();
            });
        }
        Respond(dialog, Gtk::RESPONSE_CANCEL);
    });
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    m_app.ExitInstance();
    ASSERT_TRUE(other.get_realized()) << "the port dialog showed";
    EXPECT_TRUE(bActive);
}

// Any user may bind any abstract name: one that a stranger holds is no
// instance of ours.
TEST_F(StartupTest, ANameHeldByAnotherUserDoesNotStopStartUp)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to hold the name as another user";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const std::string ours = CSingleInstanceLock::NameFor(CUtilityApp::kInstanceLockName, geteuid());
    const pid_t squatter = fork();
    ASSERT_GE(squatter, 0);
    if (squatter == 0) {
        close(ready[0]);
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(1);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, ours.data(), ours.size());
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + ours.size());
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(fd, 4) != 0)
            _exit(1);
        (void)!write(ready[1], "x", 1);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char got = 0;
    const bool squatting = read(ready[0], &got, 1) == 1;
    close(ready[0]);

    bool bPortDialogShown = false;
    WhenShown(IDD_PORT_SELECT, [&bPortDialogShown](CDialog& dialog) {
        bPortDialogShown = true;
        Respond(dialog, Gtk::RESPONSE_CANCEL);
    });
    testing::internal::CaptureStderr();
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    m_app.ExitInstance();
    kill(squatter, SIGKILL);
    waitpid(squatter, nullptr, 0);
    ASSERT_TRUE(squatting) << "the stranger could not hold the name";
    EXPECT_TRUE(bPortDialogShown);
}

TEST_F(StartupTest, MissingResourceLibraryEndsAtOnceSilently)
{
    CResourceLibrary::SetFileName("liblidany-absent.so");
    ForbidDialogs();
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    m_app.ExitInstance();
    CResourceLibrary::SetFileName(CResourceLibrary::kFileName);
    EXPECT_FALSE(m_bForbiddenShown);
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(StartupTest, CancellingThePortChoiceEndsSilentlyWithoutOpeningIt)
{
    StartDevice();
    WhenShown(IDD_PORT_SELECT, [](CDialog& dialog) { Respond(dialog, Gtk::RESPONSE_CANCEL); });
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    EXPECT_TRUE(m_responder.Boxes().empty());
    EXPECT_TRUE(Device().Received().empty());
}

TEST_F(StartupTest, EmptyPortListEndsSilentlyOnOk)
{
    ChooseFirstPort();  // no device: the list is empty
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(StartupTest, WrongAnswerShowsNoAccessPointAndNeverSendsExit)
{
    StartDevice();
    FaultOn(ApCommand::Identify, [](FaultPlan& wrong) { wrong.wrongAck = true; });
    ChooseFirstPort();
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    ASSERT_EQ(m_responder.TextIds(), std::vector<int>{IDS_NO_ACCESS_POINT});
    EXPECT_EQ(m_responder.Boxes()[0].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(Device().Received(), "Bluetooth Access Point?\n");
    EXPECT_TRUE(PortIsFree()) << "the port was closed";
}

TEST_F(StartupTest, SilentDeviceTimesOutShowsNoAccessPointAndNeverSendsExit)
{
    StartDevice();
    Device().SetFaults(With([](FaultPlan& f) { f.silent = true; }));
    SpeedUpClock();
    ChooseFirstPort();
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_NO_ACCESS_POINT});
    EXPECT_EQ(Device().Received(), "Bluetooth Access Point?\n");
    EXPECT_TRUE(PortIsFree());
}

// A port that cannot be had after OK says which port and why, in the port
// dialog's words, and start-up ends without a word to the device.
TEST_F(StartupTest, PortGoneAfterOkSaysSo)
{
    StartDevice();
    WhenShown(IDD_PORT_SELECT, [this](CDialog& dialog) {
        std::filesystem::remove(DeviceFolder() + "/com5");  // unplugged
        Respond(dialog, Gtk::RESPONSE_OK);
    });
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    ExpectPortMessage(m_responder, ": gone.");
}

TEST_F(StartupTest, PortTakenAfterListingSaysItIsInUse)
{
    StartDevice();
    int holder = -1;
    WhenShown(IDD_PORT_SELECT, [&holder](CDialog& dialog) {
        holder = CTtyDevice::OpenExclusive("COM5");  // another program takes it
        Respond(dialog, Gtk::RESPONSE_OK);
    });
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    CTtyDevice::CloseExclusive(holder);
    EXPECT_GE(holder, 0);
    ExpectPortMessage(m_responder, ": in use by another program.");
}

// Taken between reading the line settings and the engine's Open: the open's
// failure is told at once, not after the identification's time-out.
TEST_F(StartupTest, PortTakenBeforeTheOpenSaysItIsInUse)
{
    struct TakenApp : CUtilityApp {
        int holder = -1;
        std::unique_ptr<CSerialPort> CreatePort() override
        {
            holder = CTtyDevice::OpenExclusive("COM5");
            return CUtilityApp::CreatePort();
        }
    } app;
    StartDevice();
    ChooseFirstPort();
    EXPECT_EQ(app.InitInstance(), FALSE);
    app.ExitInstance();
    CTtyDevice::CloseExclusive(app.holder);
    EXPECT_GE(app.holder, 0);
    ExpectPortMessage(m_responder, ": in use by another program.");
}

// Root opens any node: start-up runs again, in a child, as nobody.
TEST_F(StartupTest, PermissionLostAfterOkSaysSo)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to another user";
    char folder[] = "/tmp/apconfig-authXXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    ASSERT_EQ(chmod(folder, 0755), 0);
    ExpectPassesAsNobody("StartupAsUser.DISABLED_PermissionLost", folder);
    std::filesystem::remove_all(folder);
}

// Run only by the test above, in a child that is not root: its own device
// node is made unreadable once the dialog has listed it.
TEST(StartupAsUser, DISABLED_PermissionLost)
{
    ASSERT_NE(geteuid(), 0u);
    struct Fixture : StartupTest {
        void TestBody() override {}
        using GuiTest::DeviceFolder;
        using GuiTest::m_responder;
        using StartupTest::ExpectPortMessage;
        using GuiTest::Respond;
        using GuiTest::SetUp;
        using GuiTest::StartDevice;
        using GuiTest::TearDown;
        using GuiTest::WhenShown;
        using StartupTest::m_app;
    } fixture;
    fixture.SetUp();
    fixture.StartDevice();
    const std::string node = fixture.DeviceFolder() + "/com5";
    fixture.WhenShown(IDD_PORT_SELECT, [&node](CDialog& dialog) {
        EXPECT_EQ(chmod(node.c_str(), 0), 0);
        Fixture::Respond(dialog, Gtk::RESPONSE_OK);
    });
    EXPECT_EQ(fixture.m_app.InitInstance(), FALSE);
    fixture.m_app.ExitInstance();
    fixture.ExpectPortMessage(fixture.m_responder, ": permission denied.");
    fixture.TearDown();
}

// However the main window closes, the closing command follows.
class ClosingTest : public StartupTest, public testing::WithParamInterface<std::string> {
protected:
    void Close(CDialog& main)
    {
        Gtk::Window& window = *main.GetToplevel();
        const std::string how = GetParam();
        if (how == "close box") {
            window.close();
        } else {
            main.GetDlgItem<Gtk::Notebook>(IDC_TAB)->grab_focus();
            SendKey(window, how == "Enter" ? GDK_KEY_Return : GDK_KEY_Escape);
        }
    }
};

TEST_P(ClosingTest, ExitIsSentAfterTheMainWindowCloses)
{
    StartDevice();
    ChooseFirstPort();
    WhenShown(IDD_MAIN, [this](CDialog& main) { Close(main); });
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    EXPECT_EQ(Commands(), (std::vector<ApCommand>{ApCommand::Identify, ApCommand::LinkRead, ApCommand::Exit}));
    EXPECT_TRUE(m_responder.Boxes().empty());
    EXPECT_TRUE(PortIsFree());
}

TEST_P(ClosingTest, UnacknowledgedExitStillEndsNormally)
{
    StartDevice();
    FaultOn(ApCommand::Exit, [](FaultPlan& silent) { silent.silent = true; });
    SpeedUpClock();
    ChooseFirstPort();
    WhenShown(IDD_MAIN, [this](CDialog& main) { Close(main); });
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    EXPECT_EQ(Commands().back(), ApCommand::Exit);
    EXPECT_TRUE(m_responder.Boxes().empty());
    EXPECT_TRUE(PortIsFree());
}

INSTANTIATE_TEST_SUITE_P(ByCloseBoxEscapeOrEnter, ClosingTest, testing::Values("close box", "Escape", "Enter"),
                         [](const auto& info) { return info.param == "close box" ? std::string("CloseBox") : info.param; });

}  // namespace
