#include "app/port_select_dlg.h"

#include <gtkmm/comboboxtext.h>

#include <cstdio>

#include "app/resource_ids.h"
#include "protocol/line_settings.h"
#include "serial/posix/tty_device.h"

namespace {
std::string PortName(int nPort)
{
    char name[8];
    std::snprintf(name, sizeof name, "COM%d", nPort);
    return name;
}
}  // namespace

CPortSelectDlg::CPortSelectDlg(CDialog* pParent) : CDialog(IDD_PORT_SELECT, pParent), m_nPort(0) {}

BOOL CPortSelectDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    auto* ports = GetDlgItem<Gtk::ComboBoxText>(IDC_PORT);
    if (!ports)
        return TRUE;
    // COM1 to COM3 are the machine's own ports, never the access point's.
    for (int n = kFirstPort; n <= kLastPort; ++n) {
        const std::string name = PortName(n);
        int fd = CTtyDevice::OpenExclusive(name.c_str());
        if (fd < 0)
            continue;
        CTtyDevice::CloseExclusive(fd);
        ports->append(std::to_string(n), name);
    }
    ports->set_active(0);
    OnSelChangePort();
    ports->signal_changed().connect(sigc::mem_fun(*this, &CPortSelectDlg::OnSelChangePort));
    return TRUE;
}

void CPortSelectDlg::OnSelChangePort()
{
    auto* ports = GetDlgItem<Gtk::ComboBoxText>(IDC_PORT);
    if (ports && ports->get_active_row_number() != -1)
        m_nPort = std::stoi(ports->get_active_id());
}

BOOL CPortSelectDlg::BuildLineSettings(DCB* pSettings)
{
    if (m_nPort == 0)
        return FALSE;
    int fd = CTtyDevice::OpenExclusive(PortName(m_nPort).c_str());
    if (fd < 0)
        return FALSE;
    bool read = CTtyDevice::GetCommState(fd, *pSettings);
    CTtyDevice::CloseExclusive(fd);
    if (!read)
        return FALSE;
    ApplyAccessPointLineSettings(*pSettings);
    return TRUE;
}
