#include "app/main_dlg.h"

#include "app/about_dlg.h"
#include "app/pages/link_page.h"
#include "app/pages/local_name_page.h"
#include "app/pages/pin_page.h"
#include "app/resource_ids.h"
#include "app/framework/resource_library.h"

CMainDlg::CMainDlg(CSerialPort* pPort, CDialog* pParent)
    : CDialog(IDD_MAIN, pParent), m_pPort(pPort)
{
}

// The pages are not the window's to delete: each goes with its own window.
CMainDlg::~CMainDlg() = default;

BOOL CMainDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_tab.Attach(this, IDC_TAB);
    m_tab.OnSelChanging([this] { OnSelChangingTab(); });
    m_tab.OnSelChange([this] { OnSelChangeTab(); });
    AppendCaptionMenu(IDS_ABOUT_MENU, IDM_ABOUT);
    SetIcon(IDI_MAIN);

    // A first item keeps the tab row in place while the pages are added.
    m_tab.InsertItem(0, "Dummy");
    const bool added =
        AddPage(m_tab, new CLinkPage(m_pPort), IDD_LINK_PAGE, CResourceLibrary::LoadString(IDS_TAB_LINKS)) &&
        AddPage(m_tab, new CPinPage(m_pPort), IDD_PIN_PAGE, CResourceLibrary::LoadString(IDS_TAB_PIN)) &&
        AddPage(m_tab, new CLocalNamePage(m_pPort), IDD_LOCAL_NAME_PAGE, CResourceLibrary::LoadString(IDS_TAB_NAME));
    if (!added) {
        EndDialog(0);
        return TRUE;
    }
    m_tab.DeleteItem(0);
    m_tab.SetCurSel(0);
    if (CDialog* page = m_tab.GetItemData(0))
        page->ShowWindow(SW_SHOW);
    return TRUE;
}

bool CMainDlg::AddPage(CTabCtrl& tab, CDialog* pPage, int nTemplateId, const std::string& text)
{
    if (!pPage)
        return false;
    if (!pPage->Create(nTemplateId, this)) {
        delete pPage;
        return false;
    }
    // The tab item's display area places and sizes the page.
    tab.InsertItem(tab.GetItemCount(), text, pPage);
    return true;
}

void CMainDlg::OnOK()
{
    CDialog::OnOK();
}

void CMainDlg::OnDestroy()
{
    for (int i = m_tab.GetItemCount() - 1; i >= 0; --i)
        m_tab.DeleteItem(i);
    CDialog::OnDestroy();
}

void CMainDlg::OnSelChangingTab()
{
    int current = m_tab.GetCurSel();
    if (CDialog* page = current != -1 ? m_tab.GetItemData(current) : nullptr)
        page->ShowWindow(SW_HIDE);
}

void CMainDlg::OnSelChangeTab()
{
    int current = m_tab.GetCurSel();
    if (CDialog* page = current != -1 ? m_tab.GetItemData(current) : nullptr)
        page->ShowWindow(SW_SHOW);
}

void CMainDlg::OnSysCommand(unsigned nId)
{
    if ((nId & 0xFFF0) == IDM_ABOUT)
        OnAbout();
}

void CMainDlg::OnAbout()
{
    CAboutDlg about;
    about.DoModal();
}
