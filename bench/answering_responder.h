#pragma once

#include <gtkmm/window.h>

#include <string>
#include <vector>

#include "app/framework/user_responder.h"

// Stands in for the user while a benchmark drives the program: answers every
// message box with OK at once and keeps its text, so a failure shows in the
// figures instead of waiting for a click.
class CAnsweringResponder : public CUserResponder {
public:
    int MessageBox(Gtk::Window* owner, const std::string& text, const std::string& caption, UINT style) override;
    void MessageBeep(UINT type) override;

    const std::vector<std::string>& Shown() const { return m_shown; }

private:
    std::vector<std::string> m_shown;
};
