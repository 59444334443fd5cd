#include "app/framework/gtk/busy_window.h"

#include <gtkmm/label.h>

#include "app/framework/gtk/resource_library.h"

CBusyWindow::CBusyWindow(int nTemplateId, int nLabelId, const std::string& text)
    : m_builder(CResourceLibrary::LoadTemplate(nTemplateId))
{
    if (!m_builder)
        return;
    m_pWindow = dynamic_cast<Gtk::Window*>(m_builder->get_object("window").get());
    if (!m_pWindow)
        return;
    if (auto* label = dynamic_cast<Gtk::Label*>(m_builder->get_object(std::to_string(nLabelId)).get()))
        label->set_text(text);
    // Showing and drawing it is the cursor's first step.
    m_pCursor = std::make_unique<CWaitCursor>(m_pWindow);
}

CBusyWindow::~CBusyWindow()
{
    m_pCursor.reset();
    if (m_pWindow) {
        delete m_pWindow;
        if (GdkDisplay* display = gdk_display_get_default())
            gdk_display_flush(display);
    }
}
