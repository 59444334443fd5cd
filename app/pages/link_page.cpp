#include "app/pages/link_page.h"

#include "app/resource_ids.h"
#include "app/framework/clipboard.h"
#include "frontend/compose.h"
#include "app/framework/resource_library.h"
#include "protocol/exchanges.h"
#include "protocol/manufacturer_registry.h"

CLinkPage::CLinkPage(CSerialPort* pPort) : CDevicePage(IDD_LINK_PAGE, IDS_LINK_CAPTION, pPort) {}

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

void CLinkPage::OnFirstShown()
{
    RefreshLinkList();
}

void CLinkPage::RefreshLinkList()
{
    ClearLinkList();
    std::vector<LinkRecord> records;
    // On screen before the request goes out: a long listing at the line
    // rate takes minutes.
    ShowStatus(CResourceLibrary::LoadString(IDS_READING_LINKS));
    const bool listed = Converse([&] {
        ReadPairedDevices(m_pPort, records);
        return true;
    });
    if (listed) {
        CManufacturerRegistry& registry = CManufacturerRegistry::Shared();
        if (!records.empty())
            registry.Load();
        m_linkList.AddRecords(records, &registry);
        ShowCount();
    } else {
        ClearLinkList();
        ShowStatus({});
        SayFailure(IDS_LIST_FAILED);
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
    if (Say(IDS_CONFIRM_DELETE, MB_OKCANCEL) != IDOK)
        return;
    const bool deleted = Converse([this] { return DeletePairedDevices(m_pPort, m_linkList.GetSelectedRecords()); });
    // The list as the access point now holds it, before the message.
    if (deleted)
        RefreshLinkList();
    SayOutcome(deleted, IDS_DELETE_DONE, IDS_DELETE_FAILED);
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
    CDevicePage::OnDestroy();
}
