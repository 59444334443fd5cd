#pragma once

#include <functional>

#include "app/framework/dialog.h"

class CSerialPort;

// A page of the main window that talks to the access point: Enter and Escape
// do not end it, each exchange runs under the wait cursor, messages carry
// the page's caption. Lives on the heap and deletes itself once its window
// is gone.
class CDevicePage : public CDialog {
public:
    CDevicePage(int templateId, int captionId, CSerialPort* pPort);

protected:
    void OnOK() override {}
    void OnCancel() override {}
    // The first showing runs OnFirstShown; later ones do not, whatever came
    // of it.
    void OnShowWindow(BOOL bShow, UINT nStatus) override;
    virtual void OnFirstShown() {}
    bool WasShown() const { return m_bShown; }
    void PostNcDestroy() override;

    // What exchange returned, under the wait cursor; false when it threw.
    bool Converse(const std::function<bool()>& exchange);
    // A message box with the page's caption.
    int Say(int textId, UINT type = MB_OK);
    // After a failed exchange: a port that is gone (or whose CTS never came
    // on) as such, since no retry can help, else failedId.
    void SayFailure(int failedId);
    void SayOutcome(bool done, int doneId, int failedId);

    CSerialPort* m_pPort;

private:
    int m_captionId;
    bool m_bShown = false;
};
