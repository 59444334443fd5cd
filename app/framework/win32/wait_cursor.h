#pragma once

class CDialog;

// The busy cursor over a dialog's whole window, from the moment it is made
// until it goes, for a wait that runs no message loop; made, it has drawn
// the window as it stands. A dialog without a window: nothing happens.
class CWaitCursor {
public:
    explicit CWaitCursor(CDialog* pDialog);
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    // The Win32 half's own: any window (a busy window has no dialog).
    explicit CWaitCursor(void* hWnd);

private:
    void Cover(void* hWnd);

    void* m_hPrevious = nullptr;
    bool m_bActive = false;
};
