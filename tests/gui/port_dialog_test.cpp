// The port dialog over a machine laid out in a fake sysfs tree: what each
// item says, how the list follows the plug, and the hints for ports that
// are found but cannot be used.
#include <gmock/gmock.h>
#include <glibmm/main.h>
#include <fcntl.h>
#include <grp.h>
#include <gtkmm/main.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/label.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/port_select_dlg.h"
#include "app/resource_ids.h"
#include "frontend/port_hints.h"
#include "serial/network_ports.h"
#include "serial/posix/com_port_resolver.h"
#include "serial/posix/tty_device.h"
#include "tests/gui/gui_test.h"
#include "tests/gui/run_as_nobody.h"
#include "tests/support/fake_sysfs.h"

namespace {

const CFakeSysfs::UsbDevice& kCp2102 = CFakeSysfs::kCp2102;
constexpr int kPatienceMs = 10000;

std::vector<std::string> Texts(CDialog& dialog)
{
    std::vector<std::string> texts;
    for (const auto& row : dialog.GetDlgItem<Gtk::ComboBoxText>(IDC_PORT)->get_model()->children()) {
        Glib::ustring text;
        row.get_value(0, text);
        texts.push_back(text);
    }
    return texts;
}

std::string Label(CDialog& dialog, int id)
{
    auto* label = dialog.GetDlgItem<Gtk::Label>(id);
    return label && label->get_visible() ? std::string(label->get_text()) : std::string();
}

std::string Chosen(CDialog& dialog)
{
    return dialog.GetDlgItem<Gtk::ComboBoxText>(IDC_PORT)->get_active_text();
}

class PortDialogTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        CComPortResolver::SetSysfsRoot(m_tree.Sys());
        CComPortResolver::SetDeviceFolder(m_tree.Dev());
        CComPortResolver::SetLockFolder(m_tree.Locks());
    }
    void TearDown() override
    {
        CComPortResolver::SetLockFolder("/var/lock");
        GuiTest::TearDown();
    }

    // Opens the dialog, runs script on it once shown, then cancels it.
    void WithDialog(std::function<void(CPortSelectDlg&)> script)
    {
        CPortSelectDlg dialog;
        WhenShown(IDD_PORT_SELECT, [&](CDialog& shown) {
            script(dialog);
            Respond(shown, Gtk::RESPONSE_CANCEL);
        });
        dialog.DoModal();
    }

    // Lets the toolkit run, as the open dialog does, until done holds.
    static bool Eventually(const std::function<bool()>& done)
    {
        bool timedOut = false;
        auto watchdog = Glib::signal_timeout().connect([&] { return !(timedOut = true); }, kPatienceMs);
        while (!done() && !timedOut)
            Gtk::Main::iteration(true);
        watchdog.disconnect();
        return !timedOut;
    }

    CFakeSysfs m_tree;
};

TEST_F(PortDialogTest, ItemsNameTheAdapterAndItsDevice)
{
    const std::string pty = m_tree.AddExampleMachine();
    const std::string dev = m_tree.Dev();

    WithDialog([&](CPortSelectDlg& dialog) {
        EXPECT_THAT(Texts(dialog), testing::ElementsAre("COM4 — Arduino Uno (" + dev + "/ttyACM0)",
                                                         "COM5 — Built-in serial port (" + dev + "/ttyS4)",
                                                         "COM6 — CP2102 USB to UART Bridge Controller (" + dev +
                                                             "/ttyUSB0)",
                                                         "COM7 — " + dev + "/com7 → " + pty));
        EXPECT_EQ(dialog.GetPortNumber(), 4);
        // What else is known of the chosen port shows beneath the list.
        EXPECT_EQ(Label(dialog, IDC_PORT_DETAILS),
                  "made by Arduino (www.arduino.cc) · serial number 7583335303535 · USB ID 2341:0043 · always "
                  "reachable as " +
                      dev + "/serial/by-id/usb-Arduino__www.arduino.cc__0043_7583335303535-if00");
        EXPECT_EQ(Label(dialog, IDC_PORT_HINTS), "") << "every port found can be used";
    });
}

TEST_F(PortDialogTest, TwoAdaptersOfOneProductDifferBySerialNumber)
{
    m_tree.AddUsb("ttyUSB0", "1-2", {"0403", "6001", "FT232R USB UART", "FTDI", "A50285BI"});
    m_tree.AddUsb("ttyUSB1", "1-3", {"0403", "6001", "FT232R USB UART", "FTDI", "A9XYZ01"});
    const std::string dev = m_tree.Dev();
    WithDialog([&](CPortSelectDlg& dialog) {
        EXPECT_THAT(Texts(dialog),
                    testing::ElementsAre("COM4 — FT232R USB UART, serial A50285BI (" + dev + "/ttyUSB0)",
                                         "COM5 — FT232R USB UART, serial A9XYZ01 (" + dev + "/ttyUSB1)"));
    });
}

TEST_F(PortDialogTest, TheListFollowsThePlugAndKeepsTheChoice)
{
    m_tree.AddComLink(6);
    WithDialog([&](CPortSelectDlg& dialog) {
        ASSERT_EQ(dialog.GetPortNumber(), 6);
        // An adapter plugged in appears; the choice stays on COM6 although
        // the newcomer, COM4, now comes first.
        m_tree.AddUsb("ttyUSB0", "1-2", kCp2102);
        ASSERT_TRUE(Eventually([&] { return Texts(dialog).size() == 2; })) << "the new adapter never appeared";
        EXPECT_EQ(Texts(dialog)[0], "COM4 — CP2102 USB to UART Bridge Controller (" + m_tree.Dev() + "/ttyUSB0)");
        EXPECT_EQ(Chosen(dialog), Texts(dialog)[1]);
        EXPECT_EQ(dialog.GetPortNumber(), 6);

        // The user picks the adapter, which is then pulled out: the choice
        // moves to what is left, as when the dialog opened.
        dialog.GetDlgItem<Gtk::ComboBoxText>(IDC_PORT)->set_active(0);
        EXPECT_EQ(dialog.GetPortNumber(), 4);
        m_tree.Unplug("ttyUSB0");
        ASSERT_TRUE(Eventually([&] { return Texts(dialog).size() == 1; })) << "the adapter never went";
        EXPECT_EQ(Chosen(dialog), Texts(dialog)[0]);
        EXPECT_EQ(dialog.GetPortNumber(), 6);

        // Plugged in again it has its number back.
        m_tree.AddUsb("ttyUSB0", "1-2", kCp2102);
        ASSERT_TRUE(Eventually([&] { return Texts(dialog).size() == 2; }));
        EXPECT_EQ(Texts(dialog)[0].rfind("COM4 — ", 0), 0u);

        // The last port gone, nothing is chosen and the number stays as the
        // last choice left it.
        m_tree.Unplug("ttyUSB0");
        std::filesystem::remove(m_tree.Dev() + "/com6");
        ASSERT_TRUE(Eventually([&] { return Texts(dialog).empty(); }));
        EXPECT_EQ(dialog.GetPortNumber(), 6);
        EXPECT_EQ(Label(dialog, IDC_PORT_HINTS), S(IDS_HINT_NO_PORT));
    });
}

// apctl ports add and remove, run while the dialog is open, show in it as a
// plug does.
TEST_F(PortDialogTest, ANetworkPortAddedOrRemovedMeanwhileShowsAtOnce)
{
    m_tree.AddComLink(6);
    const std::string address = "rfc2217://10.0.0.7:2001";
    WithDialog([&](CPortSelectDlg& dialog) {
        ASSERT_EQ(Texts(dialog).size(), 1u);
        ASSERT_EQ(CNetworkPorts::Add(9, address).change, CNetworkPorts::EChange::Done);
        ASSERT_TRUE(Eventually([&] { return Texts(dialog).size() == 2; })) << "the network port never appeared";
        EXPECT_EQ(Texts(dialog)[1], "COM9 — " + address);
        EXPECT_EQ(dialog.GetPortNumber(), 6) << "the choice stays";
        ASSERT_EQ(CNetworkPorts::Remove(9).change, CNetworkPorts::EChange::Done);
        EXPECT_TRUE(Eventually([&] { return Texts(dialog).size() == 1; })) << "the network port never went";
    });
}

TEST_F(PortDialogTest, APortAnotherProgramHoldsIsExplainedNotOffered)
{
    m_tree.AddUsb("ttyUSB0", "1-2", kCp2102);
    m_tree.AddComLink(9);
    const int holder = CTtyDevice::OpenExclusive("COM9");
    ASSERT_GE(holder, 0);
    WithDialog([&](CPortSelectDlg& dialog) {
        EXPECT_EQ(Texts(dialog).size(), 1u);
        EXPECT_EQ(Label(dialog, IDC_PORT_HINTS),
                  "COM9 (" + m_tree.Dev() + "/com9 → " + m_tree.PtyOf("com9") +
                      "): in use by another program. Close that program, and the port appears here.");
        // Its release changes no folder: the dialog looks again by itself.
        CTtyDevice::CloseExclusive(holder);
        ASSERT_TRUE(Eventually([&] { return Texts(dialog).size() == 2; })) << "the port never came back";
        EXPECT_EQ(Label(dialog, IDC_PORT_HINTS), "");
    });
}

TEST_F(PortDialogTest, APortUnderAUucpLockComesBackWhenItsOwnerLetsGo)
{
    m_tree.AddUsb("ttyUSB0", "1-2", kCp2102);
    m_tree.AddComLink(9);
    m_tree.LockUucp("ttyUSB0", getpid());
    WithDialog([&](CPortSelectDlg& dialog) {
        EXPECT_EQ(Texts(dialog).size(), 1u);
        EXPECT_EQ(Label(dialog, IDC_PORT_HINTS),
                  "COM4 (" + m_tree.Dev() +
                      "/ttyUSB0): in use by another program. Close that program, and the port appears here.");
        std::filesystem::remove(m_tree.Locks() + "/LCK..ttyUSB0");
        ASSERT_TRUE(Eventually([&] { return Texts(dialog).size() == 2; })) << "the port never came back";
        EXPECT_EQ(Label(dialog, IDC_PORT_HINTS), "");
    });
}

TEST_F(PortDialogTest, NeitherTheListNorARefreshOpensAPort)
{
    const std::string pty = m_tree.AddExampleMachine();
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    for (const std::string& node : {pty, m_tree.PtyOf("ttyUSB0"), m_tree.PtyOf("ttyACM0"), m_tree.PtyOf("ttyS4")})
        ASSERT_GE(inotify_add_watch(watch, node.c_str(), IN_OPEN), 0);
    auto opens = [watch] {
        alignas(inotify_event) char events[4096];
        ssize_t n = read(watch, events, sizeof events);
        return n > 0 ? n : 0;
    };
    WithDialog([&](CPortSelectDlg& dialog) {
        EXPECT_EQ(Texts(dialog).size(), 4u);
        // A plug makes the dialog read the list again.
        m_tree.AddUsb("ttyUSB1", "1-4", {"0403", "6001", "FT232R USB UART", "FTDI", "A9XYZ01"});
        ASSERT_GE(inotify_add_watch(watch, m_tree.PtyOf("ttyUSB1").c_str(), IN_OPEN), 0);
        ASSERT_TRUE(Eventually([&] { return Texts(dialog).size() == 5; }));
        dialog.RefreshPortList();
    });
    EXPECT_EQ(opens(), 0) << "a port was opened";
    close(open(pty.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    EXPECT_GT(opens(), 0) << "the watch sees an open";
    close(watch);
}

TEST_F(PortDialogTest, NoPortAtAllSaysThatAnAdapterAppearsByItself)
{
    WithDialog([&](CPortSelectDlg& dialog) {
        EXPECT_TRUE(Texts(dialog).empty());
        EXPECT_EQ(dialog.GetPortNumber(), 0);
        EXPECT_EQ(Label(dialog, IDC_PORT_HINTS),
                  "No serial port found. Plug in a USB serial adapter: it appears here by itself.");
    });
}

TEST_F(PortDialogTest, PortsBeyondComTwentyAreCounted)
{
    for (int i = 0; i < 19; ++i)
        m_tree.AddUsb("ttyUSB" + std::to_string(i), "1-" + std::to_string(i + 1), kCp2102);
    WithDialog([&](CPortSelectDlg& dialog) {
        EXPECT_EQ(Texts(dialog).size(), 17u);
        EXPECT_EQ(Label(dialog, IDC_PORT_HINTS), "2 more ports were found: only 17 fit between COM4 and COM20.");
    });
}

// A link numbered outside 4 to 20 keeps its port out of the list; the hint
// names it and says how to bring it in, and only such ports do not make the
// machine one without ports.
TEST_F(PortDialogTest, ALinkOutsideFourToTwentyIsNamedWithTheFix)
{
    const std::string dev = m_tree.Dev();
    const std::string pty = m_tree.AddComLink(3);
    m_tree.AddUsb("ttyUSB1", "1-2", kCp2102);
    std::filesystem::create_symlink("ttyUSB1", dev + "/com21");
    const std::string fix = "/dev/comN with N from 4 to 20 (for good, with the udev rule of the README's “To pin a "
                            "COM number”), or remove it and the port gets a number from 4 to 20 by itself.";
    WithDialog([&](CPortSelectDlg& dialog) {
        EXPECT_TRUE(Texts(dialog).empty()) << "the adapter is reached only through its link";
        const std::string hints = Label(dialog, IDC_PORT_HINTS);
        EXPECT_EQ(hints, "COM3 (" + dev + "/com3 → " + pty + ") is outside COM4 to COM20: its link " + dev +
                             "/com3 gives it that number. Name the link " + fix +
                             "\nCOM21 (CP2102 USB to UART Bridge Controller) is outside COM4 to COM20: its link " +
                             dev + "/com21 gives it that number. Name the link " + fix);
        // The link renamed into the range: offered, and its hint gone.
        std::filesystem::rename(dev + "/com21", dev + "/com9");
        ASSERT_TRUE(Eventually([&] { return Texts(dialog).size() == 1; }));
        EXPECT_EQ(dialog.GetPortNumber(), 9);
        EXPECT_EQ(Label(dialog, IDC_PORT_HINTS).find("COM21"), std::string::npos);
        EXPECT_NE(Label(dialog, IDC_PORT_HINTS).find("COM3 ("), std::string::npos);
    });
}

TEST_F(PortDialogTest, TheChoiceDoesNotFollowANumberTakenBackForAnotherDevice)
{
    for (int i = 0; i < 17; ++i)
        m_tree.AddUsb("ttyUSB" + std::to_string(i), "1-" + std::to_string(i + 10), kCp2102);
    WithDialog([&](CPortSelectDlg& dialog) {
        dialog.GetDlgItem<Gtk::ComboBoxText>(IDC_PORT)->set_active(1);
        ASSERT_EQ(dialog.GetPortNumber(), 5);
        // All 17 numbers are given: a newcomer takes back COM5 of the
        // adapter pulled out, and the choice leaves COM5.
        m_tree.Unplug("ttyUSB1");
        m_tree.AddUsb("ttyUSB17", "1-40", kCp2102);
        ASSERT_TRUE(Eventually([&] { return Texts(dialog)[1].find("ttyUSB17") != std::string::npos; }));
        EXPECT_EQ(dialog.GetPortNumber(), 4);
    });
}

using PortHintsTest = GuiTest;

TEST_F(PortHintsTest, OneLinePerCauseWithItsFix)
{
    auto refused = [](int number, PortAccess access) {
        SerialPortRecord port;
        port.number = number;
        port.node = "/dev/ttyUSB" + std::to_string(number - 4);
        port.access = access;
        return port;
    };
    auto denied = [](EPermissionCause cause, const char* group) {
        return PortAccess{EPortProblem::PermissionDenied, EACCES, cause, "root", group, true, false, false};
    };
    PortAccess join = denied(EPermissionCause::JoinGroup, "dialout");
    PortAccess relogin = denied(EPermissionCause::LogInAgain, "uucp");
    PortAccess ownerOnly = denied(EPermissionCause::OwnerOnly, "root");
    PortAccess gone;
    gone.problem = EPortProblem::Other;
    gone.error = ENXIO;
    const auto lines =
        CPortHints::Lines({refused(4, join), refused(5, relogin), refused(6, join), refused(7, ownerOnly),
                           refused(8, gone), refused(9, denied(EPermissionCause::AccessList, "")),
                           refused(10, denied(EPermissionCause::SecurityPolicy, "dialout")),
                           refused(11, denied(EPermissionCause::Unknown, "dialout"))},
                          0, true);
    EXPECT_THAT(lines,
                testing::ElementsAre("COM4 (/dev/ttyUSB0), COM6 (/dev/ttyUSB2): permission denied. Serial ports here "
                                     "belong to the group dialout: join it with “sudo usermod -aG dialout $USER”, "
                                     "then log out and in again.",
                                     "COM5 (/dev/ttyUSB1): permission denied. You are in the group uucp now, but "
                                     "this session started before: log out and in again.",
                                     "COM7 (/dev/ttyUSB3): permission denied. Only root may open it.",
                                     "COM8 (/dev/ttyUSB4): cannot be opened (" + std::string(g_strerror(ENXIO)) +
                                         ").",
                                     "COM9 (/dev/ttyUSB5): " + S(IDS_HINT_ACCESS_LIST).substr(4),
                                     "COM10 (/dev/ttyUSB6): " + S(IDS_HINT_SECURITY_POLICY).substr(4),
                                     "COM11 (/dev/ttyUSB7): permission denied."));
}

// Root opens any node: the dialog runs again, in a child, as nobody.
TEST_F(PortDialogTest, PermissionDeniedNamesTheNodesGroupAndTheCommandThatJoinsIt)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to hand the node to a group and drop to another user";
    m_tree.AddUsb("ttyUSB0", "1-2", kCp2102);
    const std::string pty = m_tree.PtyOf("ttyUSB0");
    ASSERT_EQ(chown(pty.c_str(), 0, getgrnam("dialout")->gr_gid), 0);
    ASSERT_EQ(chmod(pty.c_str(), 0660), 0);
    const std::string root = std::filesystem::path(m_tree.Sys()).parent_path();
    ASSERT_EQ(chmod(root.c_str(), 0755), 0);

    ExpectPassesAsNobody("PortDialogAsUser.DISABLED_PermissionHint", root,
                         "APCONFIG_TEST_SYSFS=" + m_tree.Sys() + " APCONFIG_TEST_DEV=" + m_tree.Dev());
}

// Run only by the test above, in a child that is not root.
TEST(PortDialogAsUser, DISABLED_PermissionHint)
{
    ASSERT_NE(geteuid(), 0u);
    struct Fixture : GuiTest {
        void TestBody() override {}
        using GuiTest::SetUp;
        using GuiTest::TearDown;
        using GuiTest::WhenShown;
    } fixture;
    fixture.SetUp();
    CComPortResolver::SetSysfsRoot(std::getenv("APCONFIG_TEST_SYSFS"));
    CComPortResolver::SetDeviceFolder(std::getenv("APCONFIG_TEST_DEV"));
    const std::string dev = CComPortResolver::DeviceFolder();
    CPortSelectDlg dialog;
    fixture.WhenShown(IDD_PORT_SELECT, [&](CDialog& shown) {
        EXPECT_TRUE(Texts(shown).empty());
        EXPECT_EQ(Label(shown, IDC_PORT_HINTS),
                  "COM4 (" + dev + "/ttyUSB0): permission denied. Serial ports here belong to the group dialout: "
                  "join it with “sudo usermod -aG dialout $USER”, then log out and in again.");
        shown.EndDialog(IDCANCEL);
    });
    dialog.DoModal();
    fixture.TearDown();
}

}  // namespace
