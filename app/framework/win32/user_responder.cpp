#include "app/framework/user_responder.h"

#include "app/framework/win32/windows_api.h"

#include "app/framework/dialog.h"

int CUserResponder::MessageBox(void* owner, const std::string& text, const std::string& caption, UINT style)
{
    const int answer = ::MessageBoxW(static_cast<HWND>(owner), Utf8ToUtf16(text).c_str(), Utf8ToUtf16(caption).c_str(),
                                     style | (owner ? 0 : MB_TASKMODAL));
    return answer == 1 ? IDOK : IDCANCEL;
}

void CUserResponder::MessageBeep(UINT type)
{
    SystemBeep(type);
}

void* CUserResponder::OwnerOf(CDialog* dialog)
{
    HWND hWnd = dialog ? static_cast<HWND>(dialog->GetSafeHwnd()) : nullptr;
    return hWnd ? ::GetAncestor(hWnd, GA_ROOT) : nullptr;
}

std::string CUserResponder::ProgramName()
{
    return "apconfig";
}
