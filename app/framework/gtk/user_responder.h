#pragma once

#include <gtkmm/window.h>

#include <string>

#include "app/framework/gtk/win_types.h"

// Where message boxes and beeps go: the user, through real dialogs, unless a
// test has put a responder of its own in place to answer and record them.
class CUserResponder {
public:
    virtual ~CUserResponder() = default;

    // Returns IDOK or IDCANCEL.
    virtual int MessageBox(Gtk::Window* owner, const std::string& text, const std::string& caption, UINT style);
    virtual void MessageBeep(UINT type);

    static CUserResponder& Current();
    // nullptr puts the user back in charge. The responder is not owned.
    static void Replace(CUserResponder* responder);
};

// A box with text and caption from the string table, owned by owner.
int MessageBox(Gtk::Window* owner, int textId, int captionId, UINT style);
// A box owned by the main window if there is one, captioned with the
// program's name.
int AfxMessageBox(int textId, UINT style);
// The same for a text already composed.
int AfxMessageBox(const std::string& text, UINT style);
void MessageBeep(UINT type);
