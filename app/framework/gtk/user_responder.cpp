#include "app/framework/gtk/user_responder.h"

#include <glibmm/miscutils.h>
#include <gtkmm/messagedialog.h>

#include "app/framework/gtk/dialog.h"
#include "app/framework/gtk/resource_library.h"

namespace {
CUserResponder* g_pReplacement = nullptr;
}

int CUserResponder::MessageBox(Gtk::Window* owner, const std::string& text, const std::string& caption, UINT style)
{
    const bool askOk = (style & 0x0F) == MB_OKCANCEL;
    const auto kind = (style & 0xF0) == MB_ICONEXCLAMATION ? Gtk::MESSAGE_WARNING
                      : askOk                              ? Gtk::MESSAGE_QUESTION
                                                           : Gtk::MESSAGE_INFO;
    Gtk::MessageDialog box(text, false, kind, askOk ? Gtk::BUTTONS_OK_CANCEL : Gtk::BUTTONS_OK, true);
    if (owner)
        box.set_transient_for(*owner);
    box.set_title(caption);
    // As on any message box, Enter takes the first button: OK.
    box.set_default_response(Gtk::RESPONSE_OK);
    int response = box.run();
    return response == Gtk::RESPONSE_OK || (!askOk && response == Gtk::RESPONSE_DELETE_EVENT) ? IDOK : IDCANCEL;
}

void CUserResponder::MessageBeep(UINT)
{
    if (auto display = Gdk::Display::get_default())
        display->beep();
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

int MessageBox(Gtk::Window* owner, int textId, int captionId, UINT style)
{
    return CUserResponder::Current().MessageBox(owner, CResourceLibrary::LoadString(textId),
                                                CResourceLibrary::LoadString(captionId), style);
}

int AfxMessageBox(int textId, UINT style)
{
    return AfxMessageBox(CResourceLibrary::LoadString(textId), style);
}

int AfxMessageBox(const std::string& text, UINT style)
{
    CDialog* mainWnd = CDialog::GetMainWnd();
    return CUserResponder::Current().MessageBox(mainWnd ? mainWnd->GetToplevel() : nullptr, text,
                                                Glib::get_application_name(), style);
}

void MessageBeep(UINT type)
{
    CUserResponder::Current().MessageBeep(type);
}
