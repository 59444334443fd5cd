#include "app/port_select_dlg.h"

#include "app/resource_ids.h"
#include "frontend/port_hints.h"
#include "frontend/port_item_text.h"
#include "protocol/port_line_settings.h"

CPortSelectDlg::CPortSelectDlg(CDialog* pParent) : CDialog(IDD_PORT_SELECT, pParent), m_nPort(0) {}

BOOL CPortSelectDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_bHasList = m_ports.Attach(this, IDC_PORT);
    if (!m_bHasList)
        return TRUE;
    m_watch.Start(this, [this] { RefreshPortList(); });
    FillPortList();
    m_ports.SetCurSel(0);
    OnSelChangePort();
    m_ports.OnSelChange([this] { OnSelChangePort(); });
    return TRUE;
}

void CPortSelectDlg::FillPortList()
{
    const SerialPortList found = CPortList::List();
    std::vector<SerialPortRecord> refused;
    std::vector<SerialPortRecord> outOfRange = found.outOfRange;
    m_listed.clear();
    m_inUse.clear();
    for (const SerialPortRecord& port : found.ports) {
        // COM1 to COM3 are never offered; a port outside COM4 to COM20 is
        // named beneath the list with how to give it a number that fits.
        if (!CPortHints::Offered(port.number))
            outOfRange.push_back(port);
        else if (port.access.Openable())
            m_listed.push_back(port);
        else
            refused.push_back(port);
    }
    for (const SerialPortRecord& port : refused)
        if (port.access.problem == EPortProblem::InUse)
            m_inUse.push_back(port);
    if (!m_inUse.empty())
        m_watch.Poll(kInUseRecheckSeconds, [this] { return RecheckInUse(); });
    const std::vector<std::string> texts = CPortItemText::Items(m_listed);
    for (size_t i = 0; i < m_listed.size(); ++i)
        m_ports.AddString(texts[i], m_listed[i].number);
    std::string hints;
    for (const std::string& line : CPortHints::Lines(refused, found.unnumbered, found.FoundAny(), outOfRange))
        hints += (hints.empty() ? "" : "\n") + line;
    SetDlgItemLabel(IDC_PORT_HINTS, hints);
    ShowDlgItem(IDC_PORT_HINTS, !hints.empty());
}

void CPortSelectDlg::RefreshPortList()
{
    if (!m_bHasList)
        return;
    const SerialPortRecord* was = ChosenInList();
    const int chosen = was ? was->number : 0;
    const std::string device = was ? was->identity : std::string();
    // Emptying the list leaves m_nPort as it was; choosing again below
    // stores the port as a user's choice would.
    m_ports.ResetContent();
    FillPortList();
    // The choice stays only with its device: a number taken back for a new
    // device (all 17 given) is not the port the user chose.
    const SerialPortRecord* now = Listed(chosen);
    if (!now || now->identity != device || !m_ports.SetCurSel(m_ports.FindItemData(chosen)))
        m_ports.SetCurSel(0);
    OnSelChangePort();
}

bool CPortSelectDlg::RecheckInUse()
{
    for (const SerialPortRecord& port : m_inUse)
        if (CPortList::Judge(port).problem != EPortProblem::InUse) {
            RefreshPortList();
            break;
        }
    return !m_inUse.empty();
}

void CPortSelectDlg::OnDestroy()
{
    m_watch.Stop();
    CDialog::OnDestroy();
}

void CPortSelectDlg::OnSelChangePort()
{
    if (const SerialPortRecord* chosen = ChosenInList()) {
        m_nPort = chosen->number;
        m_chosen = *chosen;
    }
    ShowDetails();
}

void CPortSelectDlg::ShowDetails()
{
    if (!m_bHasList)
        return;
    const SerialPortRecord* port = ChosenInList();
    const std::string details = port ? CPortItemText::Details(*port) : std::string();
    SetDlgItemLabel(IDC_PORT_DETAILS, details);
    ShowDlgItem(IDC_PORT_DETAILS, !details.empty());
}

const SerialPortRecord* CPortSelectDlg::ChosenInList() const
{
    const int index = m_ports.GetCurSel();
    return index == -1 ? nullptr : Listed(m_ports.GetItemData(index));
}

const SerialPortRecord* CPortSelectDlg::Listed(int number) const
{
    for (const SerialPortRecord& port : m_listed)
        if (port.number == number)
            return &port;
    return nullptr;
}

BOOL CPortSelectDlg::BuildLineSettings(DCB* pSettings, int* pError)
{
    // Not opened here: the engine opens the port once and lays these fields
    // over its own settings.
    return pSettings && BuildAccessPointLineSettings(m_nPort, *pSettings, pError) ? TRUE : FALSE;
}

std::string CPortSelectDlg::GetPortName() const
{
    return m_nPort ? CPortItemText::MessageName(m_chosen) : std::string();
}

std::string CPortSelectDlg::GetPortPath() const
{
    return m_nPort ? m_chosen.path : std::string();
}
