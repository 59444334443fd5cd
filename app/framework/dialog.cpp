#include "app/framework/dialog.h"

#include <algorithm>

#include "app/framework/user_responder.h"

namespace {
CDialog* g_pMainWnd = nullptr;
}  // namespace

void CDialog::SetMainWnd(CDialog* pMainWnd)
{
    g_pMainWnd = pMainWnd;
}

CDialog* CDialog::GetMainWnd()
{
    return g_pMainWnd;
}

void CDialog::ForgetMainWnd() const
{
    if (g_pMainWnd == this)
        g_pMainWnd = nullptr;
}

void CDialog::LeaveParent()
{
    if (!m_pParent)
        return;
    auto& siblings = m_pParent->m_children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    m_pParent = nullptr;
}

int CDialog::MessageBox(int nTextId, int nCaptionId, UINT nType)
{
    return ::MessageBox(this, nTextId, nCaptionId, nType);
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnShowWindow(BOOL, UINT) {}

void CDialog::OnDestroy() {}

void CDialog::PostNcDestroy() {}

void CDialog::OnSysCommand(unsigned) {}
