#pragma once

#include "app/framework/dialog.h"

// The about box: OK or Cancel ends it.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};
