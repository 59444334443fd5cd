#pragma once

#include "app/framework/dialog.h"
#include "serial/dcb.h"

// Lets the user pick one of the ports COM4 to COM20 that can be opened.
class CPortSelectDlg : public CDialog {
public:
    static constexpr int kFirstPort = 4;
    static constexpr int kLastPort = 20;

    explicit CPortSelectDlg(CDialog* pParent = nullptr);

    int GetPortNumber() const { return m_nPort; }
    // Reads the chosen port's settings and sets 115200 baud, 8 bits, even
    // parity, one stop bit, CTS flow and RTS and DTR held on.
    BOOL BuildLineSettings(DCB* pSettings);

protected:
    BOOL OnInitDialog() override;
    void OnSelChangePort();

    int m_nPort;
};
