#include "app/pages/local_name_page.h"

#include <vector>

#include "app/framework/wait_cursor.h"
#include "app/pages/name_edit_dlg.h"
#include "app/port_failure_message.h"
#include "app/resource_ids.h"
#include "protocol/device_name_codec.h"
#include "protocol/exchanges.h"

CLocalNamePage::CLocalNamePage(CSerialPort* pPort) : CDialog(IDD_LOCAL_NAME_PAGE), m_pPort(pPort), m_bNameRead(false)
{
}

BOOL CLocalNamePage::OnInitDialog()
{
    CDialog::OnInitDialog();
    OnClicked(IDC_CHANGE_NAME, [this] { OnChangeName(); });
    return TRUE;
}

void CLocalNamePage::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    // Read once, whatever came of it.
    if (bShow && !m_bNameRead) {
        ReadDeviceName();
        m_bNameRead = true;
    }
}

void CLocalNamePage::ReadDeviceName()
{
    char name[kNameBufferSize];
    bool read = false;
    {
        CWaitCursor wait(this);
        try {
            read = ::ReadDeviceName(m_pPort, name) && Utf8ToAnsiInPlace(name);
        } catch (int) {
        }
    }
    if (read)
        SetDlgItemText(IDC_NAME, name);
    else if (!CPortFailureMessage::ShowConversationFailure(m_pPort))
        MessageBox(IDS_NAME_READ_FAILED, IDS_NAME_CAPTION, MB_OK);
}

void CLocalNamePage::OnChangeName()
{
    CNameEditDlg entry(this);
    if (entry.DoModal() != IDOK)
        return;
    bool changed = false;
    {
        CWaitCursor wait(this);
        try {
            if (ChangeDeviceName(m_pPort, entry.m_strName.c_str())) {
                // Shown as sent, converted back: the name is not read again.
                std::vector<char> name(entry.m_strName.begin(), entry.m_strName.end());
                name.push_back('\0');
                if (Utf8ToAnsiInPlace(name.data())) {
                    SetDlgItemText(IDC_NAME, name.data());
                    changed = true;
                }
            }
        } catch (int) {
        }
    }
    if (!changed && CPortFailureMessage::ShowConversationFailure(m_pPort))
        return;
    MessageBox(changed ? IDS_UPDATE_DONE : IDS_UPDATE_FAILED, IDS_NAME_CAPTION, MB_OK);
}

void CLocalNamePage::PostNcDestroy()
{
    delete this;
}
