#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "win_types.h"

// A dialog from a numbered template of the resource library: run modally
// (DoModal, in a message loop of its own) or created as a hidden child inside
// another dialog (Create). Controls are found by their numbers; edit texts are
// read and written in the ANSI code page, labels in UTF-8. Enter and Escape go
// to the OnOK and OnCancel of the dialog that holds the focus, so a child
// dialog can ignore them. Window handles are kept opaque (void*).
class CDialog {
public:
    // A modal dialog with pParentWnd stays above that dialog's window.
    explicit CDialog(int nTemplateId, CDialog* pParentWnd = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // IDOK, IDCANCEL or what EndDialog gave; -1 when the template cannot be
    // created, and then the dialog is no longer the main window. The window
    // is destroyed again before it returns.
    int DoModal();
    // A hidden child window from the template, destroyed with pParent.
    bool Create(int nTemplateId, CDialog* pParent);
    // Ends a modal run; called from OnInitDialog the window never shows.
    void EndDialog(int nResult);
    void ShowWindow(int nCmdShow);
    bool IsWindowVisible() const;
    void DestroyWindow();

    int GetTemplateId() const { return m_nTemplateId; }
    static int LiveCount();

    // The text of an edit in the ANSI code page, at most nMaxBytes bytes.
    std::string GetDlgItemText(int nId, int nMaxBytes) const;
    void SetDlgItemText(int nId, const std::string& ansiText);
    // A label shows utf8Text.
    void SetDlgItemLabel(int nId, const std::string& utf8Text);
    void ShowDlgItem(int nId, bool bShow);
    // The most bytes of the ANSI code page an edit takes from typing or pasting.
    void LimitText(int nId, int nBytes);
    void EnableDlgItem(int nId, bool bEnable);
    // A message box from the string table, owned by this dialog's window.
    int MessageBox(int nTextId, int nCaptionId, UINT nType);
    // A button's click; set in OnInitDialog.
    void OnClicked(int nId, std::function<void()> handler);
    // The window's icon, from the resource library.
    void SetIcon(int nIconId);
    // An item at the end of the caption (system) menu: choosing it calls
    // OnSysCommand(nCommandId). Command numbers below 0xF000 and multiples of 16.
    void AppendCaptionMenu(int nTextId, unsigned nCommandId);

    static void SetMainWnd(CDialog* pMainWnd);
    static CDialog* GetMainWnd();

    // The Win32 half's own: the HWND, a control's HWND, the dialog of an HWND
    // (the innermost one holding it).
    void* GetSafeHwnd() const { return m_hWnd; }
    void* GetDlgItem(int nId) const;
    static CDialog* FromHandle(void* hWnd);
    // A control's WM_COMMAND notification (its code) and WM_NOTIFY (the
    // NMHDR; the handler sets *result and returns true when it answered).
    void OnCommand(int nId, std::function<void(unsigned code)> handler);
    void OnNotify(int nId, std::function<bool(const void* nmhdr, long long* result)> handler);
    // Any other message the dialog receives (WM_DEVICECHANGE, say): the
    // handler returns true when it handled it.
    void OnMessage(unsigned message, std::function<bool(unsigned long long wParam, long long lParam)> handler);
    // Keys the modal loop offers to the dialog before the dialog manager
    // sees them (the tab control's page keys): true when taken.
    void OnPreTranslateKey(std::function<bool(unsigned key, bool ctrl, bool shift, bool alt)> handler);

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // The window is being shown (bShow) or hidden.
    virtual void OnShowWindow(BOOL bShow, UINT nStatus);
    virtual void OnDestroy();
    // The last call on a dialog whose window is gone; a self-owned dialog
    // deletes itself here.
    virtual void PostNcDestroy();
    // A caption-menu item was chosen.
    virtual void OnSysCommand(unsigned nCommandId);

private:
    friend struct CDialogAccess;
    // The dialog's own window from the template; null when it cannot be had.
    void* MakeWindow(void* hParent, bool child);
    bool PreTranslateKey(unsigned key);

    int m_nTemplateId;
    CDialog* m_pParentWnd;
    void* m_hWnd = nullptr;
    bool m_bModal = false;
    CDialog* m_pParent = nullptr;
    std::vector<CDialog*> m_children;
    bool m_bEnded = false;
    int m_nResult = -1;
    std::map<int, std::function<void()>> m_clicked;
    std::map<int, std::function<void(unsigned)>> m_commands;
    std::map<int, std::function<bool(const void*, long long*)>> m_notify;
    std::vector<std::function<bool(unsigned, bool, bool, bool)>> m_keys;
    std::map<unsigned, std::function<bool(unsigned long long, long long)>> m_messages;
    std::map<int, int> m_limits;  // edit number -> bytes
};
