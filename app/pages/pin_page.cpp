#include "app/pages/pin_page.h"

#include <utility>

#include "app/resource_ids.h"
#include "protocol/exchanges.h"

CPinPage::CPinPage(CSerialPort* pPort) : CDevicePage(IDD_PIN_PAGE, IDS_PIN_CAPTION, pPort) {}

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
    if (Say(IDS_CONFIRM_PIN, MB_OKCANCEL) != IDOK)
        return;
    // Sent as typed (no test of digits, length or emptiness), unless a
    // field holds what would split the request.
    const std::string newPin = GetDlgItemText(IDC_PIN_NEW, kMaxPinBytes);
    if (newPin != GetDlgItemText(IDC_PIN_AGAIN, kMaxPinBytes)) {
        Say(IDS_PIN_MISMATCH);
        return;
    }
    const std::string pinInForce = GetDlgItemText(IDC_PIN_IN_FORCE, kMaxPinBytes);
    for (const auto& [pin, refusal] : {std::pair{&pinInForce, IDS_PIN_IN_FORCE_UNSENDABLE},
                                       std::pair{&newPin, IDS_PIN_NEW_UNSENDABLE}})
        if (CSendableText::CheckPin(*pin) != CSendableText::EFault::None) {
            Say(refusal);
            return;
        }
    const bool accepted = Converse([&] { return ChangePin(m_pPort, pinInForce.c_str(), newPin.c_str()); });
    SayOutcome(accepted, IDS_UPDATE_DONE, IDS_UPDATE_FAILED);
}
