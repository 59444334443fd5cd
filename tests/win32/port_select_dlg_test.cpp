// The Windows port dialog over a port list of the test's own: which ports
// are offered and how, the hints, the choice kept across a device's arrival,
// and the settings built without opening anything.
#include <gtest/gtest.h>

#include "app/framework/app_init.h"
#include "app/framework/resource_library.h"
#include "app/resource_ids.h"
#include "app/port_select_dlg.h"
#include "frontend/compose.h"
#include "serial/network_ports.h"
#include "serial/win32/com_port_list.h"
#include "window_probe.h"

namespace {

std::vector<ComPortEntry> g_ports;

SerialPortList ListedPorts()
{
    SerialPortList list;
    for (const ComPortEntry& port : g_ports)
        list.ports.push_back(ToPortRecord(port));
    return list;
}

// Runs a body from OnInitDialog, after the dialog filled its list.
class CProbePortDlg : public CPortSelectDlg {
public:
    explicit CProbePortDlg(std::function<void(CProbePortDlg&)> body) : m_body(std::move(body)) {}
    std::string Label(int id) const { return WindowProbe::Text(GetDlgItem(id)); }
    bool Shown(int id) const { return WindowProbe::IsShown(GetDlgItem(id)); }
    std::vector<std::string> Items() const { return WindowProbe::ComboItems(GetDlgItem(IDC_PORT)); }
    void Choose(int index) { WindowProbe::ChooseComboItem(GetSafeHwnd(), IDC_PORT, index); }  // as the user

protected:
    BOOL OnInitDialog() override
    {
        CPortSelectDlg::OnInitDialog();
        m_body(*this);
        EndDialog(IDOK);
        return TRUE;
    }

private:
    std::function<void(CProbePortDlg&)> m_body;
};

class Win32PortSelectDlgTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(CResourceLibrary::Load());
        ASSERT_TRUE(AfxWinInit(nullptr, nullptr));
        CPortList::SetLister(ListedPorts);
    }
    static void TearDownTestSuite() { CPortList::SetLister(nullptr); }
};

TEST_F(Win32PortSelectDlgTest, OffersComFourToTwentyByFriendlyNameElseName)
{
    g_ports = {{1, "COM1", "Communications Port (COM1)", "\\Device\\Serial0"},
               {4, "COM4", "", "\\Device\\Serial3"},
               {5, "COM5", "USB Serial Device (COM5)", "\\Device\\USBSER000"},
               {20, "COM20", "", ""},
               {21, "COM21", "USB Serial Device (COM21)", "\\Device\\USBSER001"}};
    CProbePortDlg dialog([](CProbePortDlg& self) {
        EXPECT_EQ(self.Items(), (std::vector<std::string>{"COM4", "USB Serial Device (COM5)", "COM20"}));
        EXPECT_EQ(self.GetPortNumber(), 4);
        EXPECT_EQ(self.Label(IDC_PORT_DETAILS), "\\Device\\Serial3");
        EXPECT_EQ(self.Label(IDC_PORT_HINTS),
                  Compose(CResourceLibrary::LoadString(IDS_HINT_OUT_OF_RANGE_WINDOWS), {"COM1 (Communications Port)"}) +
                      "\n" +
                      Compose(CResourceLibrary::LoadString(IDS_HINT_OUT_OF_RANGE_WINDOWS),
                              {"COM21 (USB Serial Device)"}));
        EXPECT_TRUE(self.Shown(IDC_PORT_HINTS));
        self.Choose(1);
        EXPECT_EQ(self.GetPortNumber(), 5);
        EXPECT_EQ(self.GetPortName(), "USB Serial Device (COM5)");
        EXPECT_EQ(self.GetPortPath(), "\\\\.\\COM5");
        self.Choose(2);
        EXPECT_EQ(self.GetPortName(), "COM20");
        EXPECT_FALSE(self.Shown(IDC_PORT_DETAILS));  // nothing known of it
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST_F(Win32PortSelectDlgTest, NoPortSaysWhatToDoAndBuildsNothing)
{
    g_ports = {};
    CProbePortDlg dialog([](CProbePortDlg& self) {
        EXPECT_TRUE(self.Items().empty());
        EXPECT_EQ(self.Label(IDC_PORT_HINTS), CResourceLibrary::LoadString(IDS_HINT_NO_PORT));
        EXPECT_EQ(self.GetPortNumber(), 0);
        DCB settings;
        int error = -1;
        EXPECT_FALSE(self.BuildLineSettings(&settings, &error));
        EXPECT_EQ(error, 0);
    });
    dialog.DoModal();
}

TEST_F(Win32PortSelectDlgTest, ADeviceArrivingKeepsTheChoiceAndOneGoingMovesIt)
{
    g_ports = {{4, "COM4", "", ""}, {6, "COM6", "USB Serial Device (COM6)", ""}};
    CProbePortDlg dialog([](CProbePortDlg& self) {
        self.Choose(1);
        g_ports.insert(g_ports.begin() + 1, ComPortEntry{5, "COM5", "", ""});
        WindowProbe::SendDeviceChange(self.GetSafeHwnd(), true, true);
        EXPECT_EQ(self.Items().size(), 3u);
        EXPECT_EQ(self.GetPortNumber(), 6);
        // Another kind of device changes nothing.
        g_ports.pop_back();
        WindowProbe::SendDeviceChange(self.GetSafeHwnd(), false, false);
        EXPECT_EQ(self.Items().size(), 3u);
        WindowProbe::SendDeviceChange(self.GetSafeHwnd(), false, true);
        EXPECT_EQ(self.Items(), (std::vector<std::string>{"COM4", "COM5"}));
        EXPECT_EQ(self.GetPortNumber(), 4);
    });
    dialog.DoModal();
}

// apctl ports add, run while the dialog is open, shows in it as a plug
// does: the change is broadcast to every top-level window.
TEST_F(Win32PortSelectDlgTest, ANetworkPortAddedMeanwhileShowsAtOnce)
{
    g_ports = {{4, "COM4", "", ""}};
    CProbePortDlg dialog([](CProbePortDlg& self) {
        const SerialPortRecord network = [] {
            SerialPortRecord record;
            record.number = 9;
            record.path = record.description = "rfc2217://10.0.0.7:2001";
            record.kind = ESerialPortKind::Network;
            return record;
        }();
        CPortList::SetLister([network] {
            SerialPortList list = ListedPorts();
            list.ports.push_back(network);
            return list;
        });
        WindowProbe::BroadcastAndPump(CNetworkPorts::kChangedMessage);
        EXPECT_EQ(self.Items(), (std::vector<std::string>{"COM4", "COM9 — rfc2217://10.0.0.7:2001"}));
        EXPECT_EQ(self.GetPortNumber(), 4);
    });
    dialog.DoModal();
    CPortList::SetLister(ListedPorts);
}

TEST_F(Win32PortSelectDlgTest, SettingsAreTheAccessPointsLine)
{
    g_ports = {{7, "COM7", "", ""}};
    CProbePortDlg dialog([](CProbePortDlg& self) {
        DCB settings;
        int error = -1;
        ASSERT_TRUE(self.BuildLineSettings(&settings, &error));
        EXPECT_EQ(error, 0);
        EXPECT_EQ(settings.BaudRate, 115200u);
        EXPECT_EQ(settings.ByteSize, 8);
        EXPECT_EQ(settings.Parity, EVENPARITY);
        EXPECT_EQ(settings.StopBits, ONESTOPBIT);
        EXPECT_TRUE(settings.Has(DCB::fOutxCtsFlow));
        EXPECT_EQ(settings.RtsControl(), RTS_CONTROL_ENABLE);
        EXPECT_EQ(settings.DtrControl(), DTR_CONTROL_ENABLE);
    });
    dialog.DoModal();
}

// COM4 to COM20 are offered; every other number is named beneath the list
// with Device Manager's way to change it, whatever its friendly name.
TEST_F(Win32PortSelectDlgTest, PortsOutsideFourToTwentyAreNamedWithTheFix)
{
    const struct {
        ComPortEntry port;
        bool offered;
        std::string named;  // how the hint names a port left out
    } cases[] = {
        {{1, "COM1", "Communications Port (COM1)", ""}, false, "COM1 (Communications Port)"},
        {{3, "COM3", "USB Serial Port (COM3)", ""}, false, "COM3 (USB Serial Port)"},
        {{4, "COM4", "", ""}, true, ""},
        {{20, "COM20", "USB Serial Device (COM20)", ""}, true, ""},
        {{21, "COM21", "", ""}, false, "COM21"},
        // A friendly name that does not end with the port's own "(COMn)".
        {{256, "COM256", "Modem (COM25) x", ""}, false, "COM256 (Modem (COM25) x)"},
    };
    g_ports.clear();
    std::vector<std::string> offered, hints;
    for (const auto& c : cases) {
        g_ports.push_back(c.port);
        if (c.offered)
            offered.push_back(c.port.friendlyName.empty() ? c.port.name : c.port.friendlyName);
        else
            hints.push_back(Compose(CResourceLibrary::LoadString(IDS_HINT_OUT_OF_RANGE_WINDOWS), {c.named}));
    }
    std::string expected;
    for (const std::string& line : hints)
        expected += (expected.empty() ? "" : "\n") + line;
    CProbePortDlg dialog([&](CProbePortDlg& self) {
        EXPECT_EQ(self.Items(), offered);
        EXPECT_EQ(self.Label(IDC_PORT_HINTS), expected);
        EXPECT_TRUE(self.Shown(IDC_PORT_HINTS));
        EXPECT_NE(expected.find("COM3 (USB Serial Port) is outside COM4 to COM20: in Device Manager"),
                  std::string::npos);
        // Only ports it cannot offer: the machine is not said to have none.
        g_ports = {cases[0].port, cases[4].port};
        WindowProbe::SendDeviceChange(self.GetSafeHwnd(), true, true);
        EXPECT_TRUE(self.Items().empty());
        EXPECT_EQ(self.Label(IDC_PORT_HINTS).find(CResourceLibrary::LoadString(IDS_HINT_NO_PORT)), std::string::npos);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

}  // namespace
