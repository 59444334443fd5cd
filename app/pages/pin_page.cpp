#include "app/pages/pin_page.h"

#include <utility>

#include "app/framework/wait_cursor.h"
#include "app/port_failure_message.h"
#include "app/resource_ids.h"
#include "protocol/exchanges.h"

CPinPage::CPinPage(CSerialPort* pPort) : CDialog(IDD_PIN_PAGE), m_pPort(pPort) {}

BOOL CPinPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int edit : {IDC_PIN_IN_FORCE, IDC_PIN_NEW, IDC_PIN_AGAIN})
        LimitText(edit, kMaxPinBytes);
    OnClicked(IDC_CHANGE_PIN, [this] { OnChangePin(); });
    return TRUE;
}

void CPinPage::OnChangePin()
{
    if (MessageBox(IDS_CONFIRM_PIN, IDS_PIN_CAPTION, MB_OKCANCEL) != IDOK)
        return;
    // Sent as typed (no test of digits, length or emptiness), unless a
    // field holds what would split the request.
    const std::string newPin = GetDlgItemText(IDC_PIN_NEW, kMaxPinBytes);
    if (newPin != GetDlgItemText(IDC_PIN_AGAIN, kMaxPinBytes)) {
        MessageBox(IDS_PIN_MISMATCH, IDS_PIN_CAPTION, MB_OK);
        return;
    }
    const std::string pinInForce = GetDlgItemText(IDC_PIN_IN_FORCE, kMaxPinBytes);
    for (const auto& [pin, refusal] : {std::pair{&pinInForce, IDS_PIN_IN_FORCE_UNSENDABLE},
                                       std::pair{&newPin, IDS_PIN_NEW_UNSENDABLE}})
        if (CSendableText::CheckPin(*pin) != CSendableText::EFault::None) {
            MessageBox(refusal, IDS_PIN_CAPTION, MB_OK);
            return;
        }
    bool accepted = false;
    {
        CWaitCursor wait(this);
        try {
            accepted = ChangePin(m_pPort, pinInForce.c_str(), newPin.c_str());
        } catch (int) {
        }
    }
    if (!accepted && CPortFailureMessage::ShowConversationFailure(m_pPort))
        return;
    MessageBox(accepted ? IDS_UPDATE_DONE : IDS_UPDATE_FAILED, IDS_PIN_CAPTION, MB_OK);
}

void CPinPage::PostNcDestroy()
{
    delete this;
}
