#include <fcntl.h>
#include <gtkmm/comboboxtext.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/port_select_dlg.h"
#include "app/resource_ids.h"
#include "protocol/line_settings.h"
#include "serial/posix/tty_device.h"
#include "tests/gui/gui_test.h"

namespace {

// A pty whose slave the test links into the device folder under any name.
class CLinkedPty {
public:
    CLinkedPty(const std::string& folder, const std::string& name)
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        grantpt(m_master);
        unlockpt(m_master);
        m_pty = ptsname(m_master);
        std::filesystem::create_symlink(m_pty, folder + "/" + name);
    }
    ~CLinkedPty() { close(m_master); }
    const std::string& Pty() const { return m_pty; }

private:
    int m_master;
    std::string m_pty;
};

struct PortItem {
    std::string text;
    std::string id;
};

std::vector<PortItem> Items(Gtk::ComboBoxText& ports)
{
    std::vector<PortItem> items;
    for (const auto& row : ports.get_model()->children()) {
        Glib::ustring text, id;
        row.get_value(0, text);
        row.get_value(1, id);
        items.push_back({text, id});
    }
    return items;
}

using PortSelectTest = GuiTest;

TEST_F(PortSelectTest, ListsExactlyTheOpenablePortsFromCom4ToCom20)
{
    const std::string folder = DeviceFolder();
    std::vector<std::unique_ptr<CLinkedPty>> ptys;
    for (const char* name : {"com1", "com2", "com3", "com4", "com7", "com9", "com20", "com21"})
        ptys.push_back(std::make_unique<CLinkedPty>(folder, name));
    std::ofstream(folder + "/com12") << "not a tty";
    // A node that sysfs knows nothing of is no port, whatever its name.
    ptys.push_back(std::make_unique<CLinkedPty>(folder, "ttyS10"));
    int taken = CTtyDevice::OpenExclusive("COM9");                      // held by another program
    ASSERT_GE(taken, 0);

    CPortSelectDlg dialog;
    std::vector<PortItem> items;
    int selectedFirst = -1;
    WhenShown(IDD_PORT_SELECT, [&](CDialog& shown) {
        auto* ports = shown.GetDlgItem<Gtk::ComboBoxText>(IDC_PORT);
        items = Items(*ports);
        selectedFirst = ports->get_active_row_number();
        ports->set_active(2);  // the user picks COM20
        Respond(shown, Gtk::RESPONSE_OK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    CTtyDevice::CloseExclusive(taken);

    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].text, "COM4 — " + folder + "/com4 → " + ptys[3]->Pty()) << "a link shows its target";
    EXPECT_EQ(items[1].text, "COM7 — " + folder + "/com7 → " + ptys[4]->Pty());
    EXPECT_EQ(items[2].text, "COM20 — " + folder + "/com20 → " + ptys[6]->Pty());
    EXPECT_EQ(items[2].id, "20") << "the item carries its port number";
    EXPECT_EQ(selectedFirst, 0);
    EXPECT_EQ(dialog.GetPortNumber(), 20);
}

TEST_F(PortSelectTest, FirstListedPortIsChosenWhenOkIsPressedAtOnce)
{
    CLinkedPty com6(DeviceFolder(), "com6");
    CLinkedPty com8(DeviceFolder(), "com8");
    CPortSelectDlg dialog;
    WhenShown(IDD_PORT_SELECT, [](CDialog& shown) { Respond(shown, Gtk::RESPONSE_OK); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetPortNumber(), 6);
}

TEST_F(PortSelectTest, CancelAndCloseBoxEndTheDialogWithCancel)
{
    CPortSelectDlg dialog;
    WhenShown(IDD_PORT_SELECT, [](CDialog& shown) { shown.GetToplevel()->close(); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetPortNumber(), 0);
}

TEST(LineSettings, ChangeExactlyTheConversationFieldsAndBits)
{
    DCB all;
    all.Flags = 0xFFFFFFFF;
    all.DCBlength = 28;
    all.XonLim = 1;
    all.XoffLim = 2;
    all.XonChar = 0x11;
    all.XoffChar = 0x13;
    all.ErrorChar = '?';
    all.EofChar = 0x1A;
    all.EvtChar = 0x7E;
    DCB none;
    none.Flags = 0;
    ApplyAccessPointLineSettings(all);
    ApplyAccessPointLineSettings(none);

    // Binary: fBinary on; fDsrSensitivity (6), fErrorChar (10), fNull (11)
    // and fAbortOnError (14) off, whatever the port had.
    EXPECT_EQ(all.Flags, 0xFFFFFFFFu & ~((1u << 3) | (1u << 5) | (1u << 8) | (1u << 9) | (1u << 13) | (1u << 6) |
                                         (1u << 10) | (1u << 11) | (1u << 14)));
    EXPECT_EQ(none.Flags, 0x1016u | DCB::fBinary);
    for (const DCB* settings : {&all, &none}) {
        EXPECT_EQ(settings->BaudRate, 115200u);
        EXPECT_EQ(settings->ByteSize, 8);
        EXPECT_EQ(settings->Parity, EVENPARITY);
        EXPECT_EQ(settings->StopBits, ONESTOPBIT);
        EXPECT_TRUE(settings->Has(DCB::fParity));
        EXPECT_TRUE(settings->Has(DCB::fOutxCtsFlow));
        EXPECT_FALSE(settings->Has(DCB::fOutxDsrFlow));
        EXPECT_EQ(settings->DtrControl(), DTR_CONTROL_ENABLE);
        EXPECT_EQ(settings->RtsControl(), RTS_CONTROL_ENABLE);
        EXPECT_FALSE(settings->Has(DCB::fOutX));
        EXPECT_FALSE(settings->Has(DCB::fInX));
    }
    // Everything else stays as read.
    EXPECT_EQ(all.DCBlength, 28u);
    EXPECT_EQ(all.XonLim, 1);
    EXPECT_EQ(all.XoffLim, 2);
    EXPECT_EQ(all.XonChar, 0x11);
    EXPECT_EQ(all.XoffChar, 0x13);
    EXPECT_EQ(all.ErrorChar, '?');
    EXPECT_EQ(all.EofChar, 0x1A);
    EXPECT_EQ(all.EvtChar, 0x7E);
}

// The port is opened once, by the engine: building the settings does not
// touch it, so a port another program holds still gives them.
TEST_F(PortSelectTest, BuildLineSettingsGivesTheLineWithoutOpeningThePort)
{
    CPortSelectDlg unchosen;
    DCB settings;
    EXPECT_FALSE(unchosen.BuildLineSettings(&settings)) << "no port chosen";

    CLinkedPty com5(DeviceFolder(), "com5");
    CPortSelectDlg dialog;
    WhenShown(IDD_PORT_SELECT, [](CDialog& shown) { Respond(shown, Gtk::RESPONSE_OK); });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    ASSERT_TRUE(dialog.BuildLineSettings(&settings));
    const DCB expected = AccessPointLineSettings();
    EXPECT_EQ(settings.BaudRate, 115200u);
    EXPECT_EQ(settings.Flags & 0x1016u, 0x1016u);

    EXPECT_EQ(std::memcmp(&settings, &expected, sizeof settings), 0);

    int taken = CTtyDevice::OpenExclusive("COM5");
    ASSERT_GE(taken, 0) << "the probe left the port free";
    EXPECT_TRUE(dialog.BuildLineSettings(&settings)) << "not opened, so not refused";
    CTtyDevice::CloseExclusive(taken);
}

}  // namespace
