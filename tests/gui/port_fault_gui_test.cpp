#include <gmock/gmock.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <memory>

#include "app/resource_ids.h"
#include "app/utility_app.h"
#include "frontend/compose.h"
#include "frontend/port_string_ids.h"
#include "serial/system_error_text.h"
#include "tests/gui/gui_test.h"
#include "tests/support/inotify_events.h"
#include "tests/support/simulated_port_driver.h"
#include "tests/support/unplug_on_write.h"

// What the user is told when the port itself fails: refused line settings,
// an adapter pulled out, a line whose CTS never comes on; and that start-up
// opens the chosen port once.
namespace {

using testing::HasSubstr;
using testing::StartsWith;

// The text of a string that starts with "%1", without it.
std::string AfterPort(int id)
{
    return S(id).substr(2);
}

class PortFaultStartup : public GuiTest {
protected:
    // Start-up over a port whose driver the test scripts; COM5 is listed as
    // the device's link, so the dialog offers it.
    struct ScriptedApp : CUtilityApp {
        std::function<std::unique_ptr<CSimulatedPortDriver>()> makeDriver;
        std::unique_ptr<CSerialPort> CreatePort() override
        {
            return std::make_unique<CSerialPort>(makeDriver());
        }
    };

    void RunStartup(std::function<std::unique_ptr<CSimulatedPortDriver>()> makeDriver)
    {
        StartDevice();
        SpeedUpClock();
        ScriptedApp app;
        app.makeDriver = std::move(makeDriver);
        WhenShown(IDD_PORT_SELECT, [](CDialog& dialog) { Respond(dialog, Gtk::RESPONSE_OK); });
        EXPECT_EQ(app.InitInstance(), FALSE);
        app.ExitInstance();
    }
    // Makes simulated drivers that `script` has set up.
    static std::function<std::unique_ptr<CSimulatedPortDriver>()> DriverThat(
        std::function<void(CSimulatedPortDriver&)> script)
    {
        return [script = std::move(script)] {
            auto driver = std::make_unique<CSimulatedPortDriver>();
            script(*driver);
            return driver;
        };
    }
    // One warning that names COM5 as the port dialog does.
    const std::string& OneWarningNamingCom5()
    {
        static const std::string none;
        EXPECT_EQ(m_responder.Boxes().size(), 1u);
        if (m_responder.Boxes().empty())
            return none;
        EXPECT_EQ(m_responder.Boxes()[0].style, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_THAT(m_responder.Boxes()[0].text, StartsWith("COM5 (" + DeviceFolder() + "/com5"));
        return m_responder.Boxes()[0].text;
    }
};

TEST_F(PortFaultStartup, ARefusedLineIsToldWithTheSystemsReason)
{
    RunStartup(DriverThat([](CSimulatedPortDriver& driver) { driver.RefuseSettings(EINVAL); }));
    const std::string& text = OneWarningNamingCom5();
    EXPECT_THAT(text, HasSubstr(Compose(AfterPort(IDS_PORT_SETTINGS_REFUSED), {"", SystemErrorText(EINVAL)})));
    EXPECT_THAT(text, HasSubstr(Compose(S(IDS_PORT_FAILED), {""})));
}

TEST_F(PortFaultStartup, AnAdapterPulledOutDuringTheQuestionIsToldAsGone)
{
    RunStartup([] { return std::make_unique<CUnplugOnWrite>(); });
    const std::string& text = OneWarningNamingCom5();
    EXPECT_THAT(text, HasSubstr(AfterPort(IDS_PORT_GONE)));
    EXPECT_THAT(text, HasSubstr(Compose(S(IDS_PORT_FAILED), {""})));
}

TEST_F(PortFaultStartup, NoAnswerWhileCtsStayedOffSaysSoInsteadOfNoAccessPoint)
{
    RunStartup(DriverThat([](CSimulatedPortDriver& driver) { driver.SetCts(false); }));
    const std::string& text = OneWarningNamingCom5();
    const std::string tail = AfterPort(IDS_CTS_NEVER_ON);
    ASSERT_GT(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(PortFaultStartup, NoAnswerWithCtsOnIsStillNoAccessPoint)
{
    RunStartup(DriverThat([](CSimulatedPortDriver& driver) { driver.SetCts(true); }));
    EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_NO_ACCESS_POINT});
}

// From OK to the main window the chosen port is opened once: by the engine.
TEST_F(PortFaultStartup, ThePortIsOpenedOnceFromOkToTheMainWindow)
{
    StartDevice();
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, Device().SlavePath().c_str(), IN_OPEN), 0);
    const auto opens = [watch] { return InotifyEvents(watch); };
    int opened = -1;
    WhenShown(IDD_PORT_SELECT, [&opens](CDialog& dialog) {
        opens();  // whatever listing did is not counted
        Respond(dialog, Gtk::RESPONSE_OK);
    });
    WhenShown(IDD_MAIN, [&opens, &opened](CDialog& dialog) {
        opened = opens();
        dialog.EndDialog(IDOK);
    });
    CUtilityApp app;
    EXPECT_EQ(app.InitInstance(), FALSE);
    app.ExitInstance();
    close(watch);
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(m_responder.Boxes().empty());
}

// A page's exchange on a line that hangs up says the port is gone, naming
// it, instead of the page's own failure text; later requests say the same
// at once.
TEST_F(PortFaultStartup, APageWhoseLineHangsUpSaysThePortIsGone)
{
    StartDevice();
    FaultOn(ApCommand::LinkRead, [](FaultPlan& hangup) { hangup.hangupAfter = 3; });
    RunMainWindow([](CMainDlg&) {});
    ASSERT_EQ(m_responder.Boxes().size(), 1u);
    EXPECT_EQ(m_responder.Boxes()[0].text, Compose(S(IDS_PORT_GONE), {"COM5"}));
    EXPECT_EQ(m_responder.Boxes()[0].style, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace
