#include "app/about_dlg.h"

#include "app/resource_ids.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUT) {}
