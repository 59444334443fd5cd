#include "app/pages/name_edit_dlg.h"

#include "app/framework/user_responder.h"
#include "app/resource_ids.h"

CNameEditDlg::CNameEditDlg(CDialog* pParent) : CDialog(IDD_NAME_EDIT, pParent) {}

BOOL CNameEditDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    LimitText(IDC_NAME, kMaxNameChars);
    return TRUE;
}

void CNameEditDlg::OnOK()
{
    m_strName = GetDlgItemText(IDC_NAME, kMaxNameChars);
    std::string utf8;
    if (CSendableText::CheckName(m_strName, utf8) != CSendableText::EFault::None) {
        SetDlgItemText(IDC_NAME, "");
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    m_strName = utf8;
    CDialog::OnOK();
}
