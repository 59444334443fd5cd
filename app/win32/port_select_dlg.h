#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/framework/combo_box.h"
#include "app/framework/dialog.h"
#include "serial/dcb.h"
#include "serial/win32/com_port_list.h"

// Lets the user pick one of the ports COM4 to COM20 that Windows lists. Each
// item is the port's friendly name ("USB Serial Device (COM5)"), else its
// name; the list is read again when a device arrives or goes while the
// dialog is open, and names each port it leaves out for its number with how
// to change that number. No port is opened
// before OK: opening one would reset the board on it.
class CPortSelectDlg : public CDialog {
public:
    static constexpr int kFirstPort = 4;
    static constexpr int kLastPort = 20;

    explicit CPortSelectDlg(CDialog* pParent = nullptr);

    int GetPortNumber() const { return m_nPort; }
    // The chosen port as messages name it, and the path it is opened at.
    std::string GetPortName() const;
    std::string GetPortPath() const;
    // 115200 baud, 8 bits, even parity, one stop bit, CTS flow and RTS and
    // DTR held on; nothing is read from the port. False, with *pError 0,
    // when no port is chosen.
    BOOL BuildLineSettings(DCB* pSettings, int* pError = nullptr);
    // Reads the ports again now, as a device's arrival or removal does.
    void RefreshPortList();

    // Tests list ports of their own; null goes back to the system's.
    static void SetPortLister(std::function<std::vector<ComPortEntry>()> lister);

protected:
    BOOL OnInitDialog() override;
    void OnSelChangePort();

    int m_nPort;

private:
    void FillPortList();
    void ShowDetails();

    CComboBox m_ports;
    // The offered ports, in the list's order.
    std::vector<ComPortEntry> m_listed;
};
