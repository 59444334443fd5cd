#include "bench/bench_main_dlg.h"

#include <gdkmm/display.h>
#include <glibmm/main.h>
#include <gtkmm/treeview.h>
#include <gtkmm/window.h>

#include "app/pages/link_page.h"
#include "app/resource_ids.h"

namespace {
// Only keeps a broken build from waiting for ever; measures nothing.
constexpr unsigned kDrawPatienceMs = 120000;
}  // namespace

CBenchMainDlg::CBenchMainDlg(CSerialPort* pPort, std::string screenshot)
    : CMainDlg(pPort), m_screenshot(std::move(screenshot))
{
}

BOOL CBenchMainDlg::OnInitDialog()
{
    const BOOL result = CMainDlg::OnInitDialog();
    m_initialised = Clock::now();
    auto* page = dynamic_cast<CLinkPage*>(GetTabCtrl().GetItemData(0));
    auto* list = page ? page->GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST) : nullptr;
    if (list) {
        // After the view's own handler: the rows have been painted then.
        list->signal_draw().connect(sigc::mem_fun(*this, &CBenchMainDlg::OnListDrawn), true);
        m_nListedEntries = page->GetLinkList().GetCount();
    }
    Glib::signal_timeout().connect(sigc::mem_fun(*this, &CBenchMainDlg::OnNeverDrawn), kDrawPatienceMs);
    return result;
}

bool CBenchMainDlg::OnListDrawn(const Cairo::RefPtr<Cairo::Context>&)
{
    if (!m_bDrawPending && m_drawn == Clock::time_point{}) {
        m_bDrawPending = true;
        // Once this frame is finished and sent, the display has the list.
        Glib::signal_idle().connect_once(sigc::mem_fun(*this, &CBenchMainDlg::OnDrawingDone));
    }
    return false;
}

void CBenchMainDlg::OnDrawingDone()
{
    if (auto display = Gdk::Display::get_default())
        display->sync();
    m_drawn = Clock::now();
    Gtk::Window* window = GetToplevel();
    if (!m_screenshot.empty() && window && window->get_window()) {
        auto gdkWindow = window->get_window();
        auto shot = Gdk::Pixbuf::create(gdkWindow, 0, 0, gdkWindow->get_width(), gdkWindow->get_height());
        if (shot)
            shot->save(m_screenshot, "png");
    }
    EndDialog(IDOK);
}

bool CBenchMainDlg::OnNeverDrawn()
{
    EndDialog(IDCANCEL);
    return false;
}
