#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/framework/native_handles.h"
#include "app/framework/win_types.h"

// A dialog from a numbered template of the resource library: run modally
// (DoModal) or created as a hidden child inside another dialog (Create).
// Controls are found by their numbers; edit texts are read and written in the
// ANSI code page, labels in UTF-8. Enter and Escape go to the OnOK and
// OnCancel of the dialog that holds the focus, so a child dialog can ignore
// them. The toolkit's window and controls live in its half (dialog_p.h).
class CDialog {
public:
    // A modal dialog with pParentWnd stays above that dialog's window.
    explicit CDialog(int nTemplateId, CDialog* pParentWnd = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // IDOK, IDCANCEL or what EndDialog gave; -1 when the template cannot be
    // created (its root missing or no dialog), and then the dialog is no
    // longer the main window. The window is destroyed again before it returns.
    int DoModal();
    // A hidden child window from the template, destroyed with pParent. False,
    // with nothing notified, when the template cannot make a child window.
    bool Create(int nTemplateId, CDialog* pParent);
    // Ends a modal run; called from OnInitDialog the window never shows.
    void EndDialog(int nResult);
    void ShowWindow(int nCmdShow);
    bool IsWindowVisible() const;
    void DestroyWindow();

    int GetTemplateId() const { return m_nTemplateId; }
    // Dialog objects in existence: lets tests see that self-owned dialogs
    // are gone.
    static int LiveCount() { return s_nLiveDialogs; }

    // The text of an edit in the ANSI code page, at most nMaxBytes bytes.
    std::string GetDlgItemText(int nId, int nMaxBytes) const;
    void SetDlgItemText(int nId, const std::string& ansiText);
    // A label's text, UTF-8.
    void SetDlgItemLabel(int nId, const std::string& utf8Text);
    void ShowDlgItem(int nId, bool bShow);
    // The most bytes of the ANSI code page an edit takes from typing or pasting.
    void LimitText(int nId, int nBytes);
    void EnableDlgItem(int nId, bool bEnable);
    // A message box from the string table, owned by this dialog's window.
    int MessageBox(int nTextId, int nCaptionId, UINT nType);
    // Calls handler on each click of the button nId; set from OnInitDialog.
    void OnClicked(int nId, std::function<void()> handler);
    // The window's icon, from the resource library.
    void SetIcon(int nIconId);
    // An item at the end of the caption menu (Win32: the system menu; GTK: a
    // right click on the caption): choosing it calls OnSysCommand with
    // nCommandId. Command numbers below 0xF000 and multiples of 16. Set from
    // OnInitDialog.
    void AppendCaptionMenu(int nTextId, unsigned nCommandId);

    // The application's main window: dialogs and message boxes without an
    // owner of their own stay above it. Cleared when its window goes, when
    // its window cannot be made, and when the dialog itself goes.
    static void SetMainWnd(CDialog* pMainWnd);
    static CDialog* GetMainWnd();

    // A control's own window, null when there is none.
    NativeWidget* GetDlgItem(int nId) const;
    // The dialog whose window holds the widget, innermost first.
    static CDialog* FromWidget(NativeWidget* widget);

#ifdef _WIN32
    // The dialog's HWND, null while it has no window.
    void* GetSafeHwnd() const;
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
#else
    // The dialog's own widget (its root), or null while it has no window.
    Gtk::Widget* GetWindow() const;
    // The window the dialog lives in.
    Gtk::Window* GetToplevel() const;
    template <typename T>
    T* GetDlgItem(int nId) const
    {
        return dynamic_cast<T*>(GetDlgItem(nId));
    }
    // The caption of the dialog's window in screen coordinates: left, top,
    // right, bottom.
    bool GetCaptionRect(int rect[4]) const;
#endif

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
    // An item of the caption menu was chosen.
    virtual void OnSysCommand(unsigned nCommandId);

private:
    struct Impl;

    // No longer the main window, if it was.
    void ForgetMainWnd() const;
    // Out of the parent's children, once its window is gone.
    void LeaveParent();

    int m_nTemplateId;
    CDialog* m_pParentWnd;
    CDialog* m_pParent = nullptr;
    std::vector<CDialog*> m_children;
    bool m_bEnded = false;
    int m_nResult = -1;
    std::unique_ptr<Impl> m_pImpl;
    inline static int s_nLiveDialogs = 0;
};
