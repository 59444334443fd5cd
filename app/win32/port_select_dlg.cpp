#include "port_select_dlg.h"

#include "app/resource_ids.h"
#include "app/framework/win32/device_change.h"
#include "frontend/port_hints.h"
#include "protocol/line_settings.h"

namespace {
std::function<std::vector<ComPortEntry>()>& Lister()
{
    static std::function<std::vector<ComPortEntry>()> lister;
    return lister;
}

std::vector<ComPortEntry> ListPorts()
{
    return Lister() ? Lister()() : ListComPorts();
}

std::string ItemText(const ComPortEntry& port)
{
    return port.friendlyName.empty() ? port.name : port.friendlyName;
}
}  // namespace

CPortSelectDlg::CPortSelectDlg(CDialog* pParent) : CDialog(IDD_PORT_SELECT, pParent), m_nPort(0) {}

void CPortSelectDlg::SetPortLister(std::function<std::vector<ComPortEntry>()> lister)
{
    Lister() = std::move(lister);
}

BOOL CPortSelectDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_ports.Attach(this, IDC_PORT))
        return TRUE;
    FillPortList();
    m_ports.SetCurSel(0);
    OnSelChangePort();
    m_ports.OnSelChange([this] { OnSelChangePort(); });
    // Windows tells every top-level window of a port's arrival and removal.
    OnMessage(DeviceChangeMessage(), [this](unsigned long long event, long long data) {
        if (IsPortArrivalOrRemoval(event, data))
            RefreshPortList();
        return false;
    });
    return TRUE;
}

void CPortSelectDlg::FillPortList()
{
    m_listed.clear();
    std::vector<ComPortEntry> outOfRange;
    const std::vector<ComPortEntry> found = ListPorts();
    for (const ComPortEntry& port : found) {
        // COM4 to COM20, as on Linux; a port outside is named beneath the
        // list with how to give it a number that fits.
        if (!CPortHints::Offered(port.number)) {
            outOfRange.push_back(port);
            continue;
        }
        m_listed.push_back(port);
        m_ports.AddString(ItemText(port), port.number);
    }
    std::string hints;
    for (const std::string& line : CPortHints::Lines({}, 0, !found.empty(), outOfRange))
        hints += (hints.empty() ? "" : "\n") + line;
    SetDlgItemLabel(IDC_PORT_HINTS, hints);
    ShowDlgItem(IDC_PORT_HINTS, !hints.empty());
}

void CPortSelectDlg::RefreshPortList()
{
    const int chosen = m_ports.GetCurSel() >= 0 ? m_ports.GetItemData(m_ports.GetCurSel()) : -1;
    m_ports.ResetContent();
    FillPortList();
    // Windows keeps a device's number: the choice stays while its port does.
    const int again = m_ports.FindItemData(chosen);
    m_ports.SetCurSel(again >= 0 ? again : 0);
    OnSelChangePort();
}

void CPortSelectDlg::OnSelChangePort()
{
    const int index = m_ports.GetCurSel();
    if (index >= 0)
        m_nPort = m_ports.GetItemData(index);
    ShowDetails();
}

void CPortSelectDlg::ShowDetails()
{
    const int index = m_ports.GetCurSel();
    const std::string details = index >= 0 && index < int(m_listed.size()) ? m_listed[index].device : std::string();
    SetDlgItemLabel(IDC_PORT_DETAILS, details);
    ShowDlgItem(IDC_PORT_DETAILS, !details.empty());
}

BOOL CPortSelectDlg::BuildLineSettings(DCB* pSettings, int* pError)
{
    if (pError)
        *pError = 0;
    if (m_nPort == 0 || !pSettings)
        return FALSE;
    // Not opened here: each close drops DTR and RTS, which resets some
    // boards. The driver lays these fields over the port's own settings when
    // the engine opens it.
    *pSettings = AccessPointLineSettings();
    return TRUE;
}

std::string CPortSelectDlg::GetPortName() const
{
    for (const ComPortEntry& port : m_listed)
        if (port.number == m_nPort)
            return ItemText(port);
    return m_nPort ? "COM" + std::to_string(m_nPort) : std::string();
}

std::string CPortSelectDlg::GetPortPath() const
{
    // The device namespace's form, which also reaches COM10 and above.
    return m_nPort ? "\\\\.\\COM" + std::to_string(m_nPort) : std::string();
}
