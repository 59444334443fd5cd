#pragma once

#include <gtkmm/builder.h>
#include <gtkmm/window.h>

#include <memory>
#include <string>

#include "app/framework/gtk/wait_cursor.h"

// A small window from a numbered template that says what the program is
// waiting for, on screen with the busy cursor for as long as the object
// lives. The template's root is a window named "window"; its label nLabelId
// takes the text. A template that cannot be built shows nothing.
class CBusyWindow {
public:
    CBusyWindow(int nTemplateId, int nLabelId, const std::string& text);
    ~CBusyWindow();
    CBusyWindow(const CBusyWindow&) = delete;
    CBusyWindow& operator=(const CBusyWindow&) = delete;

    Gtk::Window* GetWindow() const { return m_pWindow; }

private:
    Glib::RefPtr<Gtk::Builder> m_builder;
    Gtk::Window* m_pWindow = nullptr;
    std::unique_ptr<CWaitCursor> m_pCursor;
};
