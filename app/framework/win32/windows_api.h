#pragma once

// windows.h for the framework's own .cpp files, with the macros that would
// rename the framework's methods (MessageBox, LoadString...) taken back.
// Calls go to the W functions by their full names.
// The framework's MessageBeep (through the responder) keeps the name; the
// system's is reached through SystemBeep.
#define MessageBeep Win32MessageBeepUnused
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>
#undef MessageBeep

#undef MessageBox
#undef LoadString
#undef GetDlgItemText
#undef SetDlgItemText
#undef SearchPath
#undef IDOK
#undef IDCANCEL
#undef MB_OK
#undef MB_OKCANCEL
#undef MB_ICONEXCLAMATION
#undef SW_HIDE
#undef SW_SHOW
#undef CreateWindow
#undef GetWindowText
#undef SetWindowText

#include <string>

#include "serial/wide_text.h"

class CDialog;

void SystemBeep(unsigned type);


// The owner's control nId when it is a window of the class className, else null.
HWND ControlOfClass(CDialog* pOwner, int nId, const wchar_t* className);
