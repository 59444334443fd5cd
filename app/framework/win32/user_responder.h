#pragma once

#include <string>

#include "win_types.h"

class CDialog;

// Where message boxes and beeps go: the user, through MessageBoxW, unless a
// test has put a responder of its own in place to answer and record them.
class CUserResponder {
public:
    virtual ~CUserResponder() = default;

    // owner: the HWND the box belongs to, or null. Returns IDOK or IDCANCEL.
    virtual int MessageBox(void* owner, const std::string& text, const std::string& caption, UINT style);
    virtual void MessageBeep(UINT type);

    static CUserResponder& Current();
    // nullptr puts the user back in charge. The responder is not owned.
    static void Replace(CUserResponder* responder);
};

// A box with text and caption from the string table, owned by the dialog's window.
int MessageBox(CDialog* owner, int textId, int captionId, UINT style);
// A box owned by the main window if there is one, captioned with the
// program's name.
int AfxMessageBox(int textId, UINT style);
int AfxMessageBox(const std::string& utf8, UINT style);
void MessageBeep(UINT type);
