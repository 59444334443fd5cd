#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/dialog.h>
#include <sigc++/sigc++.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/framework/gtk/win_types.h"

class CCaptionMenu;

// A dialog built from a numbered template of the resource library: run
// modally (DoModal) or created as a hidden child inside another dialog
// (Create). Controls are found by their numbers; edit texts are read and
// written in the ANSI code page. Enter and Escape go to the OnOK and OnCancel
// of the dialog that holds the focus, so a child dialog can ignore them.
class CDialog : public sigc::trackable {
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
    // with nothing notified, when the root is missing or no child container.
    bool Create(int nTemplateId, CDialog* pParent);
    // Ends a modal run; called from OnInitDialog the window never shows.
    void EndDialog(int nResult);
    void ShowWindow(int nCmdShow);
    bool IsWindowVisible() const;
    void DestroyWindow();

    int GetTemplateId() const { return m_nTemplateId; }
    // Dialog objects in existence: lets tests see that self-owned dialogs
    // are gone.
    static int LiveCount();

    // The dialog's own widget (its root), or null while it has no window.
    Gtk::Widget* GetWindow() const { return m_pWindow; }
    // The window the dialog lives in.
    Gtk::Window* GetToplevel() const;
    Gtk::Widget* GetDlgItem(int nId) const;
    template <typename T>
    T* GetDlgItem(int nId) const
    {
        return dynamic_cast<T*>(GetDlgItem(nId));
    }
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
    // An item of the caption menu (a right click on the caption): choosing it
    // calls OnSysCommand with nCommandId. Set from OnInitDialog.
    void AppendCaptionMenu(int nTextId, unsigned nCommandId);
    // The caption of the dialog's window in screen coordinates: left, top,
    // right, bottom.
    bool GetCaptionRect(int rect[4]) const;

    // The dialog whose window holds the widget, innermost first.
    static CDialog* FromWidget(Gtk::Widget* widget);
    // The application's main window: dialogs and message boxes without an
    // owner of their own stay above it. Cleared when its window goes, when
    // its window cannot be made, and when the dialog itself goes.
    static void SetMainWnd(CDialog* pMainWnd);
    static CDialog* GetMainWnd();

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
    // The template's root when it is the kind of window the dialog needs.
    bool Build(int nTemplateId, const char* rootId, bool (*fits)(Gtk::Widget*));
    bool OnKeyPress(GdkEventKey* event);

    int m_nTemplateId;
    CDialog* m_pParentWnd;
    Glib::RefPtr<Gtk::Builder> m_builder;
    Gtk::Widget* m_pWindow = nullptr;
    Gtk::Dialog* m_pModal = nullptr;
    CDialog* m_pParent = nullptr;
    std::vector<CDialog*> m_children;
    std::unique_ptr<CCaptionMenu> m_pCaptionMenu;
    bool m_bEnded = false;
    bool m_bRunning = false;
    int m_nResult = -1;
};
