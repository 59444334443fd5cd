#include "app/pages/link_page.h"

#include "app/port_failure_message.h"
#include "app/resource_ids.h"
#include "app/framework/clipboard.h"
#include "frontend/compose.h"
#include "app/framework/resource_library.h"
#include "app/framework/wait_cursor.h"
#include "protocol/exchanges.h"
#include "protocol/manufacturer_registry.h"

CLinkPage::CLinkPage(CSerialPort* pPort) : CDialog(IDD_LINK_PAGE), m_pPort(pPort), m_bListed(false) {}

BOOL CLinkPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (m_linkList.Attach(this, IDC_LINK_LIST)) {
        m_linkList.OnSelChange([this] { OnSelChangeLinkList(); });
        m_linkList.OnCopy([this] { OnCopyAddresses(); });
        m_linkList.SetContextMenu(CResourceLibrary::LoadString(IDS_COPY_ADDRESS), [this] { OnCopyAddresses(); });
    }
    OnClicked(IDC_DELETE_LINKS, [this] { OnDeleteLinks(); });
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
    bool listed = false;
    {
        // On screen before the request goes out: a long listing at the line
        // rate takes minutes.
        ShowStatus(CResourceLibrary::LoadString(IDS_READING_LINKS));
        CWaitCursor wait(this);
        try {
            ReadPairedDevices(m_pPort, records);
            listed = true;
        } catch (int) {
        }
    }
    if (listed) {
        CManufacturerRegistry& registry = CManufacturerRegistry::Shared();
        if (!records.empty())
            registry.Load();
        m_linkList.AddRecords(records, &registry);
        ShowCount();
    } else {
        ClearLinkList();
        ShowStatus({});
        // A port that is gone is said as such: no retry can list anything.
        if (!CPortFailureMessage::ShowConversationFailure(m_pPort))
            MessageBox(IDS_LIST_FAILED, IDS_LINK_CAPTION, MB_OK);
    }
}

void CLinkPage::ClearLinkList()
{
    m_linkList.ResetContent();
    OnSelChangeLinkList();
}

void CLinkPage::ShowStatus(const std::string& text)
{
    SetDlgItemLabel(IDC_LINK_COUNT, text);
}

void CLinkPage::ShowCount()
{
    const int count = m_linkList.GetCount();
    const int textId = count == 0 ? IDS_LINK_COUNT_NONE : count == 1 ? IDS_LINK_COUNT_ONE : IDS_LINK_COUNT_MANY;
    ShowStatus(Compose(CResourceLibrary::LoadString(textId), count));
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
    bool deleted = false;
    {
        CWaitCursor wait(this);
        try {
            deleted = DeletePairedDevices(m_pPort, m_linkList.GetSelectedRecords());
        } catch (int) {
        }
    }
    if (deleted) {
        RefreshLinkList();
        result = IDS_DELETE_DONE;
    } else if (CPortFailureMessage::ShowConversationFailure(m_pPort)) {
        return;
    }
    MessageBox(result, IDS_LINK_CAPTION, MB_OK);
}

void CLinkPage::OnCopyAddresses()
{
    std::string lines;
    for (const std::string& address : m_linkList.GetSelectedTexts())
        lines += (lines.empty() ? "" : "\n") + address;
    if (!lines.empty())
        SetClipboardText(lines);
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
