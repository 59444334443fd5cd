#pragma once

#include <giomm/filemonitor.h>
#include <sigc++/connection.h>

#include <map>
#include <string>

#include "app/framework/combo_box.h"
#include "app/framework/dialog.h"
#include "serial/dcb.h"
#include "serial/posix/com_port_numbers.h"
#include "serial/posix/serial_port_info.h"

// Lets the user pick one of the ports COM4 to COM20 that can be opened. Each
// item names the adapter and its device; the list follows adapters as they
// are plugged in and out while the dialog is open, and the dialog says why
// the ports it found but cannot offer are not there. No port is opened
// before OK: listing one would reset the boards on it.
class CPortSelectDlg : public CDialog {
public:
    static constexpr int kFirstPort = 4;
    static constexpr int kLastPort = 20;
    // Lets udev finish its links for a new device before the list is read.
    static constexpr unsigned kSettleMs = 250;
    // How often a port another program holds by an flock is judged again:
    // its release changes nothing the folder watches see.
    static constexpr unsigned kInUseRecheckSeconds = 2;

    explicit CPortSelectDlg(CDialog* pParent = nullptr);

    int GetPortNumber() const { return m_nPort; }
    // The chosen port as the hints name it, and the node it was listed at.
    std::string GetPortName() const;
    std::string GetPortPath() const;
    // Reads the chosen port's settings and sets 115200 baud, 8 bits, even
    // parity, one stop bit, CTS flow and RTS and DTR held on.
    // On failure *pError, when given, holds the errno of what failed.
    BOOL BuildLineSettings(DCB* pSettings, int* pError = nullptr);
    // Reads the ports again now, as a change in the device folder does.
    void RefreshPortList();

protected:
    BOOL OnInitDialog() override;
    void OnDestroy() override;
    void OnSelChangePort();

    int m_nPort;
    CComboBox m_ports;

private:
    // The device folder, its by-id folder and the UUCP lock folder.
    static constexpr size_t kWatchedFolders = 3;

    void FillPortList();
    void WatchDeviceFolder();
    void OnDeviceFolderChanged(const Glib::RefPtr<Gio::File>&, const Glib::RefPtr<Gio::File>&,
                               Gio::FileMonitorEvent event);
    void ShowDetails();
    // The number of the port chosen in the list, 0 when none is.
    int ChosenInList() const;
    bool OnRecheckInUse();

    // The listed ports by number, for the details of the chosen one.
    std::map<int, SerialPortInfo> m_listed;
    bool m_bHasList = false;
    std::vector<Glib::RefPtr<Gio::FileMonitor>> m_monitors;
    sigc::connection m_settle;
    // The listed ports another program holds, and their recheck.
    std::vector<NumberedPort> m_inUse;
    sigc::connection m_recheck;
};
