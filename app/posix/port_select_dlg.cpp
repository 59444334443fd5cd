#include "port_select_dlg.h"

#include <giomm/file.h>
#include <glibmm/main.h>

#include "frontend/port_hints.h"
#include "frontend/posix/port_item_text.h"
#include "app/resource_ids.h"
#include "protocol/port_line_settings.h"
#include "serial/posix/com_port_resolver.h"
#include "serial/posix/port_probe.h"

CPortSelectDlg::CPortSelectDlg(CDialog* pParent) : CDialog(IDD_PORT_SELECT, pParent), m_nPort(0) {}

BOOL CPortSelectDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_bHasList = m_ports.Attach(this, IDC_PORT);
    if (!m_bHasList)
        return TRUE;
    FillPortList();
    m_ports.SetCurSel(0);
    OnSelChangePort();
    m_ports.OnSelChange([this] { OnSelChangePort(); });
    WatchDeviceFolder();
    return TRUE;
}

void CPortSelectDlg::FillPortList()
{
    const NumberedPorts found = CComPortResolver::ListPorts();
    // COM1 to COM3 are never given out: numbering starts at 4.
    const auto [openable, refused] = CPortHints::Judge(found.ports);
    m_listed.clear();
    m_inUse.clear();
    for (const RefusedPort& port : refused)
        if (port.access.problem == EPortProblem::InUse)
            m_inUse.push_back(port.port);
    if (!m_inUse.empty() && !m_recheck.connected())
        m_recheck = Glib::signal_timeout().connect_seconds(sigc::mem_fun(*this, &CPortSelectDlg::OnRecheckInUse),
                                                           kInUseRecheckSeconds);
    const std::vector<std::string> texts = CPortItemText::Items(openable);
    for (size_t i = 0; i < openable.size(); ++i) {
        m_ports.AddString(texts[i], openable[i].number);
        m_listed.emplace(openable[i].number, openable[i].info);
    }
    std::string hints;
    const bool foundAny = !found.ports.empty() || !found.leftOut.empty() || !found.outOfRange.empty();
    for (const std::string& line : CPortHints::Lines(refused, found.leftOut.size(), foundAny, found.outOfRange))
        hints += (hints.empty() ? "" : "\n") + line;
    SetDlgItemLabel(IDC_PORT_HINTS, hints);
    ShowDlgItem(IDC_PORT_HINTS, !hints.empty());
}

void CPortSelectDlg::RefreshPortList()
{
    if (!m_bHasList)
        return;
    const int chosen = ChosenInList();
    const auto was = m_listed.find(chosen);
    const SerialPortInfo device = was == m_listed.end() ? SerialPortInfo() : was->second;
    // Emptying the list leaves m_nPort as it was; choosing again below
    // stores the port as a user's choice would.
    m_ports.ResetContent();
    FillPortList();
    // The choice stays only with its device: a number taken back for a new
    // device (all 17 given) is not the port the user chose.
    const auto now = m_listed.find(chosen);
    if (now == m_listed.end() || !CComPortNumbers::SameDevice(now->second, device) ||
        !m_ports.SetCurSel(m_ports.FindItemData(chosen)))
        m_ports.SetCurSel(0);
    OnSelChangePort();
}

void CPortSelectDlg::WatchDeviceFolder()
{
    // The kernel makes and removes the nodes itself, so watching the folder
    // works where no udev daemon runs; by-id names come a moment later. A
    // port in use comes back when its owner removes its UUCP lock file.
    const std::string folder = CComPortResolver::DeviceFolder();
    for (const std::string& path : {folder, folder + "/serial/by-id", CComPortResolver::LockFolder()}) {
        try {
            auto monitor = Gio::File::create_for_path(path)->monitor_directory();
            monitor->signal_changed().connect(sigc::mem_fun(*this, &CPortSelectDlg::OnDeviceFolderChanged));
            m_monitors.push_back(monitor);
        } catch (const Glib::Error&) {
            // No such folder (yet): the folder above reports it appearing.
        }
    }
}

void CPortSelectDlg::OnDeviceFolderChanged(const Glib::RefPtr<Gio::File>&, const Glib::RefPtr<Gio::File>&,
                                           Gio::FileMonitorEvent event)
{
    if (event == Gio::FILE_MONITOR_EVENT_CHANGES_DONE_HINT)
        return;
    // One read after a burst of changes: a plug makes several.
    m_settle.disconnect();
    m_settle = Glib::signal_timeout().connect(
        [this] {
            RefreshPortList();
            if (m_monitors.size() < kWatchedFolders) {
                m_monitors.clear();
                WatchDeviceFolder();
            }
            return false;
        },
        kSettleMs);
}

bool CPortSelectDlg::OnRecheckInUse()
{
    for (const NumberedPort& port : m_inUse)
        if (CPortProbe::Judge(port.info.OpenPath(), CComPortResolver::LockFolder(), port.info.kernelName).problem !=
            EPortProblem::InUse) {
            RefreshPortList();
            break;
        }
    return !m_inUse.empty();
}

void CPortSelectDlg::OnDestroy()
{
    m_settle.disconnect();
    m_recheck.disconnect();
    m_monitors.clear();
    CDialog::OnDestroy();
}

void CPortSelectDlg::OnSelChangePort()
{
    if (const int chosen = ChosenInList())
        m_nPort = chosen;
    ShowDetails();
}

void CPortSelectDlg::ShowDetails()
{
    if (!m_bHasList)
        return;
    const auto port = m_listed.find(ChosenInList());
    const std::string details = port == m_listed.end() ? std::string() : CPortItemText::Details(port->second);
    SetDlgItemLabel(IDC_PORT_DETAILS, details);
    ShowDlgItem(IDC_PORT_DETAILS, !details.empty());
}

int CPortSelectDlg::ChosenInList() const
{
    const int index = m_ports.GetCurSel();
    return index == -1 ? 0 : m_ports.GetItemData(index);
}

BOOL CPortSelectDlg::BuildLineSettings(DCB* pSettings, int* pError)
{
    // Not opened here: the engine opens the port once and lays these fields
    // over its own settings.
    return BuildAccessPointLineSettings(m_nPort, *pSettings, pError) ? TRUE : FALSE;
}

std::string CPortSelectDlg::GetPortName() const
{
    const auto port = m_listed.find(m_nPort);
    if (port == m_listed.end())
        return "COM" + std::to_string(m_nPort);
    return CPortItemText::ShortName({m_nPort, port->second});
}

std::string CPortSelectDlg::GetPortPath() const
{
    const auto port = m_listed.find(m_nPort);
    return port == m_listed.end() ? std::string() : port->second.OpenPath();
}
