#include "app/framework/busy_window.h"

#include <gtkmm/label.h>
#include <gtkmm/window.h>

#include "app/framework/gtk/resource_templates.h"
#include "app/framework/wait_cursor.h"

// The window the template built, and the cursor over it.
struct CBusyWindow::Impl {
    Glib::RefPtr<Gtk::Builder> builder;
    Gtk::Window* pWindow = nullptr;
    std::unique_ptr<CWaitCursor> pCursor;
};

CBusyWindow::CBusyWindow(int nTemplateId, int nLabelId, const std::string& utf8Text)
    : m_pImpl(std::make_unique<Impl>())
{
    Impl& d = *m_pImpl;
    d.builder = LoadDialogTemplate(nTemplateId);
    if (!d.builder)
        return;
    d.pWindow = dynamic_cast<Gtk::Window*>(d.builder->get_object("window").get());
    if (!d.pWindow)
        return;
    if (auto* label = dynamic_cast<Gtk::Label*>(d.builder->get_object(std::to_string(nLabelId)).get()))
        label->set_text(utf8Text);
    // Showing and drawing it is the cursor's first step.
    d.pCursor = std::make_unique<CWaitCursor>(d.pWindow);
}

CBusyWindow::~CBusyWindow()
{
    m_pImpl->pCursor.reset();
    if (m_pImpl->pWindow) {
        delete m_pImpl->pWindow;
        if (GdkDisplay* display = gdk_display_get_default())
            gdk_display_flush(display);
    }
}

Gtk::Window* CBusyWindow::GetWindow() const
{
    return m_pImpl->pWindow;
}
