#pragma once

#include <string>

#include "app/framework/native_handles.h"
#include "app/framework/win_types.h"

class CDialog;

// Where message boxes and beeps go: the user, through the toolkit's message
// boxes, unless a test has put a responder of its own in place to answer and
// record them.
class CUserResponder {
public:
    virtual ~CUserResponder() = default;

    // owner: the window the box belongs to, or null. Returns IDOK or IDCANCEL.
    virtual int MessageBox(NativeWindow* owner, const std::string& text, const std::string& caption, UINT style);
    virtual void MessageBeep(UINT type);

    static CUserResponder& Current();
    // nullptr puts the user back in charge. The responder is not owned.
    static void Replace(CUserResponder* responder);

private:
    friend int MessageBox(CDialog* owner, int textId, int captionId, UINT style);
    friend int AfxMessageBox(const std::string& text, UINT style);
    // The window a box of the dialog's belongs to (null: none).
    static NativeWindow* OwnerOf(CDialog* dialog);
    // The caption of a box that names none.
    static std::string ProgramName();
};

// A box with text and caption from the string table, owned by the dialog's window.
int MessageBox(CDialog* owner, int textId, int captionId, UINT style);
// A box owned by the main window if there is one, captioned with the
// program's name.
int AfxMessageBox(int textId, UINT style);
// The same for a text already composed.
int AfxMessageBox(const std::string& text, UINT style);
void MessageBeep(UINT type);
