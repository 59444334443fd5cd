#include <gtkmm/comboboxtext.h>
#include <gtkmm/notebook.h>

#include <filesystem>
#include <fstream>

#include "app/framework/resource_library.h"
#include "app/framework/single_instance_lock.h"
#include "app/port_select_dlg.h"
#include "app/resource_ids.h"
#include "app/utility_app.h"
#include "serial/posix/tty_device.h"
#include "tests/gui/gui_test.h"
#include "tests/support/pty_pair.h"

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
    bool PortIsFree()
    {
        int fd = CTtyDevice::OpenExclusive("COM5");
        CTtyDevice::CloseExclusive(fd);
        return fd >= 0;
    }

    CUtilityApp m_app;
    bool m_bForbiddenShown = false;
};

TEST_F(StartupTest, SecondInstanceEndsAtOnceWithNoWindowAndNoMessage)
{
    CSingleInstanceLock first;
    ASSERT_TRUE(first.Create(CUtilityApp::kInstanceLockName));
    ForbidDialogs();
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    m_app.ExitInstance();
    EXPECT_FALSE(m_bForbiddenShown);
    EXPECT_TRUE(m_responder.Boxes().empty());

    // Once the first instance is gone the name is free again.
    first.Release();
    CSingleInstanceLock again;
    EXPECT_TRUE(again.Create(CUtilityApp::kInstanceLockName));
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
    FaultPlan wrong;
    wrong.onCommand = ApCommand::Identify;
    wrong.wrongAck = true;
    Device().SetFaults(wrong);
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
    FaultPlan silent;
    silent.silent = true;
    Device().SetFaults(silent);
    SpeedUpClock();
    ChooseFirstPort();
    EXPECT_EQ(m_app.InitInstance(), FALSE);
    EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_NO_ACCESS_POINT});
    EXPECT_EQ(Device().Received(), "Bluetooth Access Point?\n");
    EXPECT_TRUE(PortIsFree());
}

TEST_F(StartupTest, PortTakenAfterListingEndsSilently)
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
    EXPECT_TRUE(m_responder.Boxes().empty());
    EXPECT_TRUE(Device().Received().empty());
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
    FaultPlan silent;
    silent.onCommand = ApCommand::Exit;
    silent.silent = true;
    Device().SetFaults(silent);
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
