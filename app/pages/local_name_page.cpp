#include "app/pages/local_name_page.h"

#include <vector>

#include "app/pages/name_edit_dlg.h"
#include "app/resource_ids.h"
#include "protocol/device_name_codec.h"
#include "protocol/exchanges.h"

CLocalNamePage::CLocalNamePage(CSerialPort* pPort) : CDevicePage(IDD_LOCAL_NAME_PAGE, IDS_NAME_CAPTION, pPort) {}

BOOL CLocalNamePage::OnInitDialog()
{
    CDialog::OnInitDialog();
    OnClicked(IDC_CHANGE_NAME, [this] { OnChangeName(); });
    return TRUE;
}

void CLocalNamePage::OnFirstShown()
{
    ReadDeviceName();
}

void CLocalNamePage::ReadDeviceName()
{
    char name[kNameBufferSize];
    if (Converse([&] { return ::ReadDeviceName(m_pPort, name) && Utf8ToAnsiInPlace(name); }))
        SetDlgItemText(IDC_NAME, name);
    else
        SayFailure(IDS_NAME_READ_FAILED);
}

void CLocalNamePage::OnChangeName()
{
    CNameEditDlg entry(this);
    if (entry.DoModal() != IDOK)
        return;
    const bool changed = Converse([&] {
        if (!ChangeDeviceName(m_pPort, entry.m_strName.c_str()))
            return false;
        // Shown as sent, converted back: the name is not read again.
        std::vector<char> name(entry.m_strName.begin(), entry.m_strName.end());
        name.push_back('\0');
        if (!Utf8ToAnsiInPlace(name.data()))
            return false;
        SetDlgItemText(IDC_NAME, name.data());
        return true;
    });
    SayOutcome(changed, IDS_UPDATE_DONE, IDS_UPDATE_FAILED);
}
