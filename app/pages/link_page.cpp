#include "app/pages/link_page.h"

#include <glibmm/ustring.h>
#include <gtkmm/button.h>
#include <gtkmm/clipboard.h>
#include <gtkmm/label.h>
#include <gtkmm/menuitem.h>

#include "app/framework/resource_library.h"
#include "app/framework/wait_cursor.h"
#include "app/resource_ids.h"
#include "protocol/exchanges.h"
#include "protocol/manufacturer_registry.h"

CLinkPage::CLinkPage(CSerialPort* pPort) : CDialog(IDD_LINK_PAGE), m_pPort(pPort), m_bListed(false) {}

BOOL CLinkPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    auto* list = GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST);
    m_linkList.Attach(list);
    m_linkList.SignalSelChange().connect(sigc::mem_fun(*this, &CLinkPage::OnSelChangeLinkList));
    if (auto* remove = GetDlgItem<Gtk::Button>(IDC_DELETE_LINKS))
        remove->signal_clicked().connect(sigc::mem_fun(*this, &CLinkPage::OnDeleteLinks));
    auto* copy = Gtk::make_managed<Gtk::MenuItem>(CResourceLibrary::LoadString(IDS_COPY_ADDRESS));
    copy->signal_activate().connect(sigc::mem_fun(*this, &CLinkPage::OnCopyAddresses));
    m_contextMenu.append(*copy);
    m_contextMenu.show_all();
    if (list) {
        m_contextMenu.attach_to_widget(*list);
        list->signal_key_press_event().connect(sigc::mem_fun(*this, &CLinkPage::OnListKeyPress), false);
        list->signal_button_press_event().connect(sigc::mem_fun(*this, &CLinkPage::OnListButtonPress), false);
        list->signal_popup_menu().connect([this] {
            PopUpMenu(nullptr);
            return true;
        });
    }
    return TRUE;
}

void CLinkPage::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CDialog::OnShowWindow(bShow, nStatus);
    // Listed once, whatever came of it; later showings do not ask again.
    if (bShow && !m_bListed) {
        RefreshLinkList();
        m_bListed = true;
    }
}

void CLinkPage::RefreshLinkList()
{
    ClearLinkList();
    std::vector<LinkRecord> records;
    bool listed = false;
    {
        // On screen before the request goes out: a long listing at the line
        // rate takes minutes.
        ShowStatus(CResourceLibrary::LoadString(IDS_READING_LINKS));
        CWaitCursor wait(GetToplevel());
        try {
            ReadPairedDevices(m_pPort, records);
            listed = true;
        } catch (int) {
        }
    }
    if (listed) {
        CManufacturerRegistry& registry = CManufacturerRegistry::Shared();
        if (!records.empty())
            registry.Load();
        m_linkList.AddRecords(records, &registry);
        ShowCount();
    } else {
        ClearLinkList();
        ShowStatus({});
        MessageBox(IDS_LIST_FAILED, IDS_LINK_CAPTION, MB_OK);
    }
}

void CLinkPage::ClearLinkList()
{
    m_linkList.ResetContent();
    OnSelChangeLinkList();
}

void CLinkPage::ShowStatus(const std::string& text)
{
    if (auto* status = GetDlgItem<Gtk::Label>(IDC_LINK_COUNT))
        status->set_text(text);
}

void CLinkPage::ShowCount()
{
    const int count = m_linkList.GetCount();
    const int textId = count == 0 ? IDS_LINK_COUNT_NONE : count == 1 ? IDS_LINK_COUNT_ONE : IDS_LINK_COUNT_MANY;
    ShowStatus(Glib::ustring::compose(CResourceLibrary::LoadString(textId), count));
}

void CLinkPage::OnSelChangeLinkList()
{
    EnableDlgItem(IDC_DELETE_LINKS, m_linkList.GetSelCount() != 0);
}

void CLinkPage::OnDeleteLinks()
{
    if (MessageBox(IDS_CONFIRM_DELETE, IDS_LINK_CAPTION, MB_OKCANCEL) != IDOK)
        return;
    int result = IDS_DELETE_FAILED;
    bool deleted = false;
    {
        CWaitCursor wait(GetToplevel());
        try {
            deleted = DeletePairedDevices(m_pPort, m_linkList.GetSelectedRecords());
        } catch (int) {
        }
    }
    if (deleted) {
        RefreshLinkList();
        result = IDS_DELETE_DONE;
    }
    MessageBox(result, IDS_LINK_CAPTION, MB_OK);
}

void CLinkPage::OnCopyAddresses()
{
    std::string lines;
    for (const std::string& address : m_linkList.GetSelectedTexts())
        lines += (lines.empty() ? "" : "\n") + address;
    if (!lines.empty())
        Gtk::Clipboard::get()->set_text(lines);
}

bool CLinkPage::OnListKeyPress(GdkEventKey* event)
{
    const auto modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    if (modifiers == GDK_CONTROL_MASK && (event->keyval == GDK_KEY_c || event->keyval == GDK_KEY_C ||
                                          event->keyval == GDK_KEY_Insert)) {
        OnCopyAddresses();
        return true;
    }
    return false;
}

bool CLinkPage::OnListButtonPress(GdkEventButton* event)
{
    if (event->type != GDK_BUTTON_PRESS || event->button != 3)
        return false;
    // As in a file manager: a right click on an entry outside the selection
    // selects that entry alone.
    auto* list = GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST);
    Gtk::TreeModel::Path path;
    if (list && list->get_path_at_pos(static_cast<int>(event->x), static_cast<int>(event->y), path) &&
        !list->get_selection()->is_selected(path)) {
        list->get_selection()->unselect_all();
        list->get_selection()->select(path);
        list->set_cursor(path);
    }
    PopUpMenu(reinterpret_cast<const GdkEvent*>(event));
    return true;
}

void CLinkPage::PopUpMenu(const GdkEvent* event)
{
    for (Gtk::Widget* item : m_contextMenu.get_children())
        item->set_sensitive(m_linkList.GetSelCount() != 0);
    auto* list = GetDlgItem<Gtk::TreeView>(IDC_LINK_LIST);
    if (event)
        m_contextMenu.popup_at_pointer(event);
    else if (list)
        m_contextMenu.popup_at_widget(list, Gdk::GRAVITY_CENTER, Gdk::GRAVITY_NORTH_WEST, nullptr);
}

void CLinkPage::OnDestroy()
{
    ClearLinkList();
    CDialog::OnDestroy();
}

void CLinkPage::PostNcDestroy()
{
    delete this;
}
