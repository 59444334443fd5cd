#pragma once

#include <string>
#include <vector>

#include "app/framework/combo_box.h"
#include "app/framework/dialog.h"
#include "app/framework/port_change_watch.h"
#include "serial/dcb.h"
#include "serial/port_list.h"

// Lets the user pick one of the ports COM4 to COM20 that can be opened. Each
// item names the port (the adapter and its device, or the system's own name
// for it); the list follows ports as they are plugged in and out while the
// dialog is open, and the dialog says why the ports it found but cannot offer
// are not there. No port is opened before OK: opening one raises DTR and
// RTS, which resets many boards.
class CPortSelectDlg : public CDialog {
public:
    static constexpr int kFirstPort = 4;
    static constexpr int kLastPort = 20;
    // How often a port another program holds is judged again: its release
    // changes nothing the watch sees.
    static constexpr unsigned kInUseRecheckSeconds = 2;

    explicit CPortSelectDlg(CDialog* pParent = nullptr);

    int GetPortNumber() const { return m_nPort; }
    // The chosen port as messages name it, and the path it is opened at.
    std::string GetPortName() const;
    std::string GetPortPath() const;
    // 115200 baud, 8 bits, even parity, one stop bit, CTS flow and RTS and
    // DTR held on; nothing is read from the port. False, with *pError 0,
    // when no port is chosen.
    BOOL BuildLineSettings(DCB* pSettings, int* pError = nullptr);
    // Reads the ports again now, as a plug or unplug does.
    void RefreshPortList();

protected:
    BOOL OnInitDialog() override;
    void OnDestroy() override;
    void OnSelChangePort();

    int m_nPort;
    CComboBox m_ports;

private:
    void FillPortList();
    void ShowDetails();
    // The chosen port in the list; null when none is.
    const SerialPortRecord* ChosenInList() const;
    const SerialPortRecord* Listed(int number) const;
    bool RecheckInUse();

    bool m_bHasList = false;
    // The offered ports, in the list's order.
    std::vector<SerialPortRecord> m_listed;
    // The listed ports another program holds.
    std::vector<SerialPortRecord> m_inUse;
    // The port last chosen, named and opened as listed then, though a
    // refresh has taken it away since.
    SerialPortRecord m_chosen;
    CPortChangeWatch m_watch;
};
