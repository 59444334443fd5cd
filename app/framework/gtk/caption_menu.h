#pragma once

#include <gdk/gdk.h>
#include <gtkmm/window.h>
#include <sigc++/sigc++.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// The menu a right click on a window's caption opens, as a window manager's
// would, but with the program's own items. A right press outside the client
// area waits for the release; released on the caption, the menu opens there
// and runs until it closes, then the chosen item's command goes to chosen.
// The toolkit's own window menu never shows for such a press.
class CCaptionMenu : public sigc::trackable {
public:
    // The width of the frame around the caption that does not count as caption.
    static constexpr int kBorder = 1;

    CCaptionMenu(Gtk::Window& window, std::function<void(unsigned)> chosen);
    CCaptionMenu(const CCaptionMenu&) = delete;
    CCaptionMenu& operator=(const CCaptionMenu&) = delete;

    void Append(const std::string& utf8Text, unsigned nCommandId);
    // The caption of window in screen coordinates: left, top, right, bottom.
    static bool GetCaptionRect(Gtk::Window& window, int rect[4]);

private:
    bool OnButtonPress(GdkEventButton* event);
    bool IsNonClient(const GdkEventButton* event) const;
    void OnNcRButtonDown();
    void Track(int xRoot, int yRoot);

    Gtk::Window& m_window;
    std::function<void(unsigned)> m_chosen;
    std::vector<std::pair<std::string, unsigned>> m_items;
};
