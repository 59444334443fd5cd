#pragma once

#include <string>

#include "app/framework/dialog.h"
#include "app/framework/tab_ctrl.h"

class CSerialPort;

// The one working window: a tab control with the three pages, each a child
// dialog that talks to the device through the shared port, and a caption
// menu that opens the about box.
class CMainDlg : public CDialog {
public:
    explicit CMainDlg(CSerialPort* pPort, CDialog* pParent = nullptr);
    ~CMainDlg() override;

    CTabCtrl& GetTabCtrl() { return m_tab; }
    void OnAbout();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnDestroy() override;
    void OnSysCommand(unsigned nCommandId) override;
    void OnSelChangingTab();
    void OnSelChangeTab();
    bool AddPage(CTabCtrl& tab, CDialog* pPage, int nTemplateId, const std::string& text);

    CTabCtrl m_tab;
    CSerialPort* m_pPort;
};
