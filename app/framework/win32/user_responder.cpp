#include "user_responder.h"

#include "windows_api.h"

#include "dialog.h"
#include "resource_library.h"

namespace {
CUserResponder* g_pReplacement = nullptr;
const char* const kProgramName = "apconfig";

void* OwnerWindow(CDialog* dialog)
{
    HWND hWnd = dialog ? static_cast<HWND>(dialog->GetSafeHwnd()) : nullptr;
    return hWnd ? ::GetAncestor(hWnd, GA_ROOT) : nullptr;
}
}  // namespace

int CUserResponder::MessageBox(void* owner, const std::string& text, const std::string& caption, UINT style)
{
    const int answer = ::MessageBoxW(static_cast<HWND>(owner), Widen(text).c_str(), Widen(caption).c_str(),
                                     style | (owner ? 0 : MB_TASKMODAL));
    return answer == 1 ? IDOK : IDCANCEL;
}

void CUserResponder::MessageBeep(UINT type)
{
    SystemBeep(type);
}

CUserResponder& CUserResponder::Current()
{
    static CUserResponder user;
    return g_pReplacement ? *g_pReplacement : user;
}

void CUserResponder::Replace(CUserResponder* responder)
{
    g_pReplacement = responder;
}

int MessageBox(CDialog* owner, int textId, int captionId, UINT style)
{
    return CUserResponder::Current().MessageBox(OwnerWindow(owner), CResourceLibrary::LoadString(textId),
                                                CResourceLibrary::LoadString(captionId), style);
}

int AfxMessageBox(int textId, UINT style)
{
    return AfxMessageBox(CResourceLibrary::LoadString(textId), style);
}

int AfxMessageBox(const std::string& utf8, UINT style)
{
    return CUserResponder::Current().MessageBox(OwnerWindow(CDialog::GetMainWnd()), utf8, kProgramName, style);
}

void MessageBeep(UINT type)
{
    CUserResponder::Current().MessageBeep(type);
}
