#include "app/utility_app.h"

#include <memory>

#include <glibmm/ustring.h>

#include "app/framework/busy_window.h"
#include "app/framework/resource_library.h"
#include "app/framework/user_responder.h"
#include "app/main_dlg.h"
#include "app/port_select_dlg.h"
#include "app/resource_ids.h"
#include "protocol/exchanges.h"
#include "serial/reply_readers.h"
#include "serial/serial_port.h"

BOOL CUtilityApp::InitInstance()
{
    // Whatever else keeps the name from us, start-up goes on.
    if (!m_instanceLock.Create(kInstanceLockName) && m_instanceLock.AlreadyExists()) {
        m_instanceLock.Release();
        return FALSE;
    }
    if (!CResourceLibrary::Load())
        return FALSE;

    CPortSelectDlg portDlg;
    if (portDlg.DoModal() != IDOK)
        return FALSE;
    DCB settings;
    if (!portDlg.BuildLineSettings(&settings))
        return FALSE;

    std::unique_ptr<CSerialPort> port = CreatePort();
    bool bConfirmed = false;
    {
        // In place of the port dialog while the device is asked: up to ten
        // seconds a byte when nothing answers.
        const std::string asking = Glib::ustring::compose(CResourceLibrary::LoadString(IDS_IDENTIFYING),
                                                          portDlg.GetPortNumber());
        CBusyWindow waiting(IDD_IDENTIFYING, IDC_WAIT_TEXT, asking);
        // An Open that failed leaves a port on which the identification times out.
        port->Open(portDlg.GetPortNumber(), &settings);
        bConfirmed = AccessPointAnswers(port.get());
    }

    if (bConfirmed) {
        SetReplyTimeout(kConversationTimeoutMs);
        // The window is gone once DoModal returns; its object goes only
        // after the closing exchange.
        CMainDlg mainDlg(port.get());
        CDialog::SetMainWnd(&mainDlg);
        mainDlg.DoModal();
        try {
            EndConversation(port.get());
        } catch (int) {
        }
    } else {
        AfxMessageBox(IDS_NO_ACCESS_POINT, MB_OK | MB_ICONEXCLAMATION);
    }
    port->Close();
    return FALSE;
}

std::unique_ptr<CSerialPort> CUtilityApp::CreatePort()
{
    return std::make_unique<CSerialPort>();
}

int CUtilityApp::ExitInstance()
{
    m_instanceLock.Release();
    return 0;
}
