#include "app/pages/device_page.h"

#include "app/framework/wait_cursor.h"
#include "app/port_failure_message.h"

CDevicePage::CDevicePage(int templateId, int captionId, CSerialPort* pPort)
    : CDialog(templateId), m_pPort(pPort), m_captionId(captionId)
{
}

void CDevicePage::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    if (bShow && !m_bShown) {
        OnFirstShown();
        m_bShown = true;
    }
}

void CDevicePage::PostNcDestroy()
{
    delete this;
}

bool CDevicePage::Converse(const std::function<bool()>& exchange)
{
    CWaitCursor wait(this);
    try {
        return exchange();
    } catch (int) {
        return false;
    }
}

int CDevicePage::Say(int textId, UINT type)
{
    return MessageBox(textId, m_captionId, type);
}

void CDevicePage::SayFailure(int failedId)
{
    if (!CPortFailureMessage::ShowConversationFailure(m_pPort))
        Say(failedId);
}

void CDevicePage::SayOutcome(bool done, int doneId, int failedId)
{
    if (done)
        Say(doneId);
    else
        SayFailure(failedId);
}
