#include "app/main_dlg.h"

#include <glibmm/main.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>

#include "app/about_dlg.h"
#include "button_release_wait.h"
#include "resource_library.h"
#include "app/pages/link_page.h"
#include "app/pages/local_name_page.h"
#include "app/pages/pin_page.h"
#include "app/resource_ids.h"

CMainDlg::CMainDlg(CSerialPort* pPort, CDialog* pParent)
    : CDialog(IDD_MAIN, pParent), m_hIcon(CResourceLibrary::LoadIcon(IDI_MAIN)), m_pPort(pPort)
{
}

// The pages are not the window's to delete: each goes with its own window.
CMainDlg::~CMainDlg() = default;

BOOL CMainDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_tab.Attach(GetDlgItem<Gtk::Notebook>(IDC_TAB));
    m_tab.SignalSelChanging().connect(sigc::mem_fun(*this, &CMainDlg::OnSelChangingTab));
    m_tab.SignalSelChange().connect(sigc::mem_fun(*this, &CMainDlg::OnSelChangeTab));
    Gtk::Window* window = GetToplevel();
    window->signal_button_press_event().connect(sigc::mem_fun(*this, &CMainDlg::OnButtonPress), false);
    // Ahead of the focused control: the list would take Ctrl+Page Down as a
    // move of its cursor.
    window->signal_key_press_event().connect(sigc::mem_fun(*this, &CMainDlg::OnPageKey), false);
    if (m_hIcon)
        window->set_icon(m_hIcon);

    // A first item keeps the tab row in place while the pages are added.
    m_tab.InsertItem(0, "Dummy");
    const bool added =
        AddPage(m_tab, new CLinkPage(m_pPort), IDD_LINK_PAGE, CResourceLibrary::LoadString(IDS_TAB_LINKS)) &&
        AddPage(m_tab, new CPinPage(m_pPort), IDD_PIN_PAGE, CResourceLibrary::LoadString(IDS_TAB_PIN)) &&
        AddPage(m_tab, new CLocalNamePage(m_pPort), IDD_LOCAL_NAME_PAGE, CResourceLibrary::LoadString(IDS_TAB_NAME));
    if (!added) {
        EndDialog(0);
        return TRUE;
    }
    m_tab.DeleteItem(0);
    m_tab.SetCurSel(0);
    if (CDialog* page = m_tab.GetItemData(0))
        page->ShowWindow(SW_SHOW);
    return TRUE;
}

bool CMainDlg::AddPage(CTabCtrl& tab, CDialog* pPage, int nTemplateId, const std::string& text)
{
    if (!pPage)
        return false;
    if (!pPage->Create(nTemplateId, this)) {
        delete pPage;
        return false;
    }
    // The tab item's display area places and sizes the page.
    tab.InsertItem(tab.GetItemCount(), text, pPage);
    return true;
}

void CMainDlg::OnOK()
{
    CDialog::OnOK();
}

void CMainDlg::OnDestroy()
{
    for (int i = m_tab.GetItemCount() - 1; i >= 0; --i)
        m_tab.DeleteItem(i);
    CDialog::OnDestroy();
}

void CMainDlg::OnSelChangingTab()
{
    int current = m_tab.GetCurSel();
    if (CDialog* page = current != -1 ? m_tab.GetItemData(current) : nullptr)
        page->ShowWindow(SW_HIDE);
}

void CMainDlg::OnSelChangeTab()
{
    int current = m_tab.GetCurSel();
    if (CDialog* page = current != -1 ? m_tab.GetItemData(current) : nullptr)
        page->ShowWindow(SW_SHOW);
}

void CMainDlg::OnCommand(unsigned nId)
{
    if ((nId & 0xFFF0) == IDM_ABOUT)
        OnAbout();
}

void CMainDlg::OnAbout()
{
    CAboutDlg about;
    about.DoModal();
}

bool CMainDlg::OnPageKey(GdkEventKey* event)
{
    Gtk::Notebook* notebook = m_tab.GetNotebook();
    const int count = m_tab.GetItemCount();
    if (!notebook || count == 0)
        return false;
    const auto modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    int page = -1;
    if (modifiers == GDK_CONTROL_MASK && (event->keyval == GDK_KEY_Page_Down || event->keyval == GDK_KEY_KP_Page_Down))
        page = (m_tab.GetCurSel() + 1) % count;
    else if (modifiers == GDK_CONTROL_MASK && (event->keyval == GDK_KEY_Page_Up || event->keyval == GDK_KEY_KP_Page_Up))
        page = (m_tab.GetCurSel() + count - 1) % count;
    else if (modifiers == GDK_MOD1_MASK && event->keyval >= GDK_KEY_1 && event->keyval <= GDK_KEY_9)
        page = static_cast<int>(event->keyval - GDK_KEY_1);
    if (page < 0 || page >= count)
        return false;
    // As a click on the tab: the old page hides, the new one shows.
    notebook->set_current_page(page);
    return true;
}

bool CMainDlg::OnButtonPress(GdkEventButton* event)
{
    if (event->type != GDK_BUTTON_PRESS || event->button != 3 || !IsNonClient(event))
        return false;
    // Handled here: the toolkit's own window menu never shows.
    OnNcRButtonDown();
    return true;
}

bool CMainDlg::IsNonClient(const GdkEventButton* event) const
{
    auto* dialog = dynamic_cast<Gtk::Dialog*>(GetToplevel());
    if (!dialog || !dialog->get_window())
        return false;
    Gtk::Box* client = dialog->get_content_area();
    int originX, originY, clientX, clientY;
    dialog->get_window()->get_origin(originX, originY);
    client->translate_coordinates(*dialog, 0, 0, clientX, clientY);
    const auto area = client->get_allocation();
    const double x = event->x_root - originX - clientX;
    const double y = event->y_root - originY - clientY;
    return x < 0 || y < 0 || x >= area.get_width() || y >= area.get_height();
}

bool CMainDlg::GetCaptionRect(int rect[4]) const
{
    Gtk::Window* window = GetToplevel();
    Gtk::Widget* caption = window ? window->get_titlebar() : nullptr;
    if (!caption || !window->get_window())
        return false;
    int originX, originY, captionX, captionY;
    window->get_window()->get_origin(originX, originY);
    caption->translate_coordinates(*window, 0, 0, captionX, captionY);
    const auto area = caption->get_allocation();
    rect[0] = originX + captionX + kBorder;
    rect[1] = originY + captionY + kBorder;
    rect[2] = originX + captionX + area.get_width() - kBorder;
    rect[3] = originY + captionY + area.get_height();
    return true;
}

void CMainDlg::OnNcRButtonDown()
{
    Gtk::Window* window = GetToplevel();
    auto release = CButtonReleaseWait::Wait(*window, 3);
    if (!release)
        return;
    int caption[4];
    const int x = static_cast<int>(release->x_root);
    const int y = static_cast<int>(release->y_root);
    if (!GetCaptionRect(caption) || x < caption[0] || y < caption[1] || x >= caption[2] || y >= caption[3])
        return;
    TrackCaptionMenu(x, y);
}

void CMainDlg::TrackCaptionMenu(int xRoot, int yRoot)
{
    Gtk::Window* window = GetToplevel();
    unsigned chosen = 0;
    Gtk::Menu menu;
    auto* item = Gtk::make_managed<Gtk::MenuItem>(CResourceLibrary::LoadString(IDS_ABOUT_MENU));
    item->signal_activate().connect([&chosen] { chosen = IDM_ABOUT; });
    menu.append(*item);
    menu.show_all();
    menu.attach_to_widget(*window);

    // Like a tracked popup menu: back here once it closes, with the choice.
    auto loop = Glib::MainLoop::create();
    // However it closes, the menu hides; an item chosen is activated just
    // after, so the loop ends once that has run.
    menu.signal_hide().connect([loop] { Glib::signal_idle().connect_once([loop] { loop->quit(); }); });
    int originX, originY;
    window->get_window()->get_origin(originX, originY);
    GdkRectangle at{xRoot - originX, yRoot - originY, 1, 1};
    gtk_menu_popup_at_rect(menu.gobj(), window->get_window()->gobj(), &at, GDK_GRAVITY_NORTH_WEST,
                           GDK_GRAVITY_NORTH_WEST, nullptr);
    if (menu.get_visible())
        loop->run();
    menu.detach();
    if (chosen)
        OnCommand(chosen);
}
