#pragma once

#include <cairomm/context.h>
#include <sigc++/trackable.h>

#include <chrono>
#include <string>

#include "app/main_dlg.h"

// The program's main window, unchanged, with a stopwatch: when its
// initialisation ended (the first page has listed the paired devices by
// then) and when the list was first drawn with its entries. It closes itself
// once the list has been drawn, or after a generous wait if it never is.
// Its timers go with it (trackable).
class CBenchMainDlg : public CMainDlg, public sigc::trackable {
public:
    using Clock = std::chrono::steady_clock;

    // screenshot: a PNG file to save the window to once the list is drawn,
    // or empty.
    CBenchMainDlg(CSerialPort* pPort, std::string screenshot);

    Clock::time_point Initialised() const { return m_initialised; }
    // When the drawing reached the display; the epoch if it never did.
    Clock::time_point Drawn() const { return m_drawn; }
    // Entries in the paired devices list once the window was initialised;
    // -1 when the page or its list was not found.
    int ListedEntries() const { return m_nListedEntries; }

protected:
    BOOL OnInitDialog() override;

private:
    bool OnListDrawn(const Cairo::RefPtr<Cairo::Context>& context);
    void OnDrawingDone();
    bool OnNeverDrawn();

    std::string m_screenshot;
    Clock::time_point m_initialised{};
    Clock::time_point m_drawn{};
    int m_nListedEntries = -1;
    bool m_bDrawPending = false;
};
