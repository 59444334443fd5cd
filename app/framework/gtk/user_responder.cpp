#include "app/framework/user_responder.h"

#include <glibmm/miscutils.h>
#include <gtkmm/messagedialog.h>

#include "app/framework/dialog.h"

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

Gtk::Window* CUserResponder::OwnerOf(CDialog* dialog)
{
    return dialog ? dialog->GetToplevel() : nullptr;
}

std::string CUserResponder::ProgramName()
{
    return Glib::get_application_name();
}
