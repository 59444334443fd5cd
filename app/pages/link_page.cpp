#include "app/pages/link_page.h"

#include <gtkmm/button.h>

#include "app/resource_ids.h"
#include "protocol/exchanges.h"

CLinkPage::CLinkPage(CSerialPort* pPort) : CDialog(IDD_LINK_PAGE), m_pPort(pPort), m_bListed(false) {}

BOOL CLinkPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_linkList.Attach(GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST));
    m_linkList.SignalSelChange().connect(sigc::mem_fun(*this, &CLinkPage::OnSelChangeLinkList));
    if (auto* remove = GetDlgItem<Gtk::Button>(IDC_DELETE_LINKS))
        remove->signal_clicked().connect(sigc::mem_fun(*this, &CLinkPage::OnDeleteLinks));
    return TRUE;
}

void CLinkPage::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    // Listed once, whatever came of it; later showings do not ask again.
    if (bShow && !m_bListed) {
        RefreshLinkList();
        m_bListed = true;
    }
}

void CLinkPage::RefreshLinkList()
{
    ClearLinkList();
    std::vector<LinkRecord> records;
    try {
        ReadPairedDevices(m_pPort, records);
        m_linkList.AddRecords(records);
    } catch (int) {
        ClearLinkList();
        MessageBox(IDS_LIST_FAILED, IDS_LINK_CAPTION, MB_OK);
    }
}

void CLinkPage::ClearLinkList()
{
    m_linkList.ResetContent();
    OnSelChangeLinkList();
}

void CLinkPage::OnSelChangeLinkList()
{
    EnableDlgItem(IDC_DELETE_LINKS, m_linkList.GetSelCount() != 0);
}

void CLinkPage::OnDeleteLinks()
{
    if (MessageBox(IDS_CONFIRM_DELETE, IDS_LINK_CAPTION, MB_OKCANCEL) != IDOK)
        return;
    int result = IDS_DELETE_FAILED;
    try {
        if (DeletePairedDevices(m_pPort, m_linkList.GetSelectedRecords())) {
            RefreshLinkList();
            result = IDS_DELETE_DONE;
        }
    } catch (int) {
    }
    MessageBox(result, IDS_LINK_CAPTION, MB_OK);
}

void CLinkPage::OnDestroy()
{
    ClearLinkList();
    CDialog::OnDestroy();
}

void CLinkPage::PostNcDestroy()
{
    delete this;
}
