#pragma once

#include <gdkmm/pixbuf.h>

#include <string>

#include "dialog.h"
#include "tab_ctrl.h"

class CSerialPort;

// The one working window: a tab control with the three pages, each a child
// dialog that talks to the device through the shared port, and a caption
// menu that opens the about box.
class CMainDlg : public CDialog {
public:
    // The width of the frame around the caption that does not count as caption.
    static constexpr int kBorder = 1;

    explicit CMainDlg(CSerialPort* pPort, CDialog* pParent = nullptr);
    ~CMainDlg() override;

    CTabCtrl& GetTabCtrl() { return m_tab; }
    void OnAbout();
    // A right press outside the client area: waits for the release and
    // shows the caption menu when it lies on the caption.
    void OnNcRButtonDown();
    // The caption in screen coordinates: left, top, right, bottom.
    bool GetCaptionRect(int rect[4]) const;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnDestroy() override;
    void OnSelChangingTab();
    void OnSelChangeTab();
    void OnCommand(unsigned nId);
    bool AddPage(CTabCtrl& tab, CDialog* pPage, int nTemplateId, const std::string& text);

    CTabCtrl m_tab;
    Glib::RefPtr<Gdk::Pixbuf> m_hIcon;
    CSerialPort* m_pPort;

private:
    bool OnButtonPress(GdkEventButton* event);
    // Ctrl+Page Down and Ctrl+Page Up to the next and previous page, Alt+1
    // to Alt+3 to a page by its place.
    bool OnPageKey(GdkEventKey* event);
    bool IsNonClient(const GdkEventButton* event) const;
    void TrackCaptionMenu(int xRoot, int yRoot);
};
