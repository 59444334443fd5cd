#include "app/framework/user_responder.h"

#include "app/framework/dialog.h"
#include "app/framework/resource_library.h"

namespace {
CUserResponder* g_pReplacement = nullptr;
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
    return CUserResponder::Current().MessageBox(CUserResponder::OwnerOf(owner), CResourceLibrary::LoadString(textId),
                                                CResourceLibrary::LoadString(captionId), style);
}

int AfxMessageBox(int textId, UINT style)
{
    return AfxMessageBox(CResourceLibrary::LoadString(textId), style);
}

int AfxMessageBox(const std::string& text, UINT style)
{
    return CUserResponder::Current().MessageBox(CUserResponder::OwnerOf(CDialog::GetMainWnd()), text,
                                                CUserResponder::ProgramName(), style);
}

void MessageBeep(UINT type)
{
    CUserResponder::Current().MessageBeep(type);
}
