#include "app/utility_app.h"

#include <cstdio>
#include <memory>

#include "app/framework/app_init.h"
#include "app/framework/busy_window.h"
#include "app/framework/resource_library.h"
#include "app/framework/user_responder.h"
#include "app/main_dlg.h"
#include "app/port_failure_message.h"
#include "app/port_select_dlg.h"
#include "app/resource_ids.h"
#include "frontend/compose.h"
#include "protocol/exchanges.h"
#include "serial/reply_readers.h"
#include "serial/serial_port.h"

namespace {
// The line a second start leaves on the terminal, when the string table
// cannot be had.
constexpr const char* kAlreadyRunning = "apconfig is already running for this user.";

void SayAlreadyRunning()
{
    const std::string text = CResourceLibrary::Load() ? CResourceLibrary::LoadString(IDS_ALREADY_RUNNING) : "";
    std::fprintf(stderr, "%s\n", text.empty() ? kAlreadyRunning : text.c_str());
}

void ReportPortFailure(const CPortSelectDlg& portDlg, const CSerialPort& port)
{
    AfxMessageBox(CPortFailureMessage::OpenFailed(portDlg.GetPortName(), portDlg.GetPortPath(), port),
                  MB_OK | MB_ICONEXCLAMATION);
}

// The identification failed: a port that is gone, or a line whose CTS never
// came on, is said as such; otherwise nothing answered as an access point.
void ReportNoAnswer(const CSerialPort& port)
{
    const std::string why = CPortFailureMessage::ConversationFailed(port);
    if (why.empty())
        AfxMessageBox(IDS_NO_ACCESS_POINT, MB_OK | MB_ICONEXCLAMATION);
    else if (port.IsGone())
        AfxMessageBox(Compose(CResourceLibrary::LoadString(IDS_PORT_FAILED), {why}), MB_OK | MB_ICONEXCLAMATION);
    else
        AfxMessageBox(why, MB_OK | MB_ICONEXCLAMATION);
}
}  // namespace

BOOL CUtilityApp::InitInstance()
{
    // Whatever else keeps the name from us (a stranger holding it), start-up
    // goes on.
    if (!m_instanceLock.Create(kInstanceLockName) && m_instanceLock.AlreadyExists()) {
        m_instanceLock.Release();
        SayAlreadyRunning();
        return FALSE;
    }
    m_instanceLock.OnKnock(&BringWindowsToFront);
    if (!CResourceLibrary::Load())
        return FALSE;

    CPortSelectDlg portDlg;
    if (portDlg.DoModal() != IDOK)
        return FALSE;
    // No port chosen (an empty list) ends as quietly as Cancel. The port is
    // not opened for this: it is opened once, by the engine, below.
    DCB settings;
    if (!portDlg.BuildLineSettings(&settings))
        return FALSE;

    std::unique_ptr<CSerialPort> port = CreatePort();
    port->SetName(portDlg.GetPortName());
    bool bOpened = false;
    bool bConfirmed = false;
    {
        // In place of the port dialog while the device is asked: up to ten
        // seconds a byte when nothing answers.
        const std::string asking = Compose(CResourceLibrary::LoadString(IDS_IDENTIFYING), portDlg.GetPortNumber());
        CBusyWindow waiting(IDD_IDENTIFYING, IDC_WAIT_TEXT, asking);
        bOpened = port->Open(portDlg.GetPortNumber(), &settings);
        bConfirmed = bOpened && AccessPointAnswers(port.get());
    }
    if (!bOpened) {
        // Closed first, so that trying the port for a cause the open did
        // not keep does not meet our own hold on it.
        port->Close();
        ReportPortFailure(portDlg, *port);
        return FALSE;
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
        ReportNoAnswer(*port);
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
