#include "app/framework/gtk/tab_ctrl.h"

#include "app/framework/gtk/dialog.h"

namespace {
const char* const kPageKey = "apconfig-tab-page";

// Notebook changes made from code: no notifications while they run.
class CQuiet {
public:
    explicit CQuiet(bool& quiet) : m_quiet(quiet), m_previous(quiet) { m_quiet = true; }
    ~CQuiet() { m_quiet = m_previous; }

private:
    bool& m_quiet;
    bool m_previous;
};
}  // namespace

bool CTabCtrl::Attach(CDialog* pOwner, int nId)
{
    auto* notebook = pOwner ? pOwner->GetDlgItem<Gtk::Notebook>(nId) : nullptr;
    Gtk::Window* window = pOwner ? pOwner->GetToplevel() : nullptr;
    if (!notebook || !window)
        return false;
    Attach(notebook);
    // Ahead of the focused control: a list would take Ctrl+Page Down as a
    // move of its cursor.
    window->signal_key_press_event().connect(sigc::mem_fun(*this, &CTabCtrl::OnPageKey), false);
    return true;
}

void CTabCtrl::Attach(Gtk::Notebook* notebook)
{
    m_pNotebook = notebook;
    m_pNotebook->signal_switch_page().connect(sigc::mem_fun(*this, &CTabCtrl::OnSwitchPageBefore), false);
    m_pNotebook->signal_switch_page().connect(sigc::mem_fun(*this, &CTabCtrl::OnSwitchPageAfter), true);
}

int CTabCtrl::InsertItem(int index, const std::string& text, CDialog* pPage)
{
    if (!m_pNotebook || index < 0 || index > GetItemCount())
        return -1;
    CQuiet quiet(m_bQuiet);
    // Each item's display area is a slot holding its page, so that a hidden
    // page leaves its tab in place.
    auto* slot = Gtk::make_managed<Gtk::Box>();
    slot->set_data(kPageKey, pPage);
    if (pPage && pPage->GetWindow())
        slot->pack_start(*pPage->GetWindow(), Gtk::PACK_EXPAND_WIDGET);
    slot->show();
    return m_pNotebook->insert_page(*slot, text, index);
}

bool CTabCtrl::DeleteItem(int index)
{
    Gtk::Box* slot = Slot(index);
    if (!slot)
        return false;
    CQuiet quiet(m_bQuiet);
    // The page is not the item's to destroy: it leaves the slot first.
    for (Gtk::Widget* child : slot->get_children())
        slot->remove(*child);
    m_pNotebook->remove_page(index);
    return true;
}

int CTabCtrl::GetItemCount() const
{
    return m_pNotebook ? m_pNotebook->get_n_pages() : 0;
}

int CTabCtrl::GetCurSel() const
{
    return m_pNotebook ? m_pNotebook->get_current_page() : -1;
}

int CTabCtrl::SetCurSel(int index)
{
    int previous = GetCurSel();
    if (!Slot(index))
        return -1;
    CQuiet quiet(m_bQuiet);
    m_pNotebook->set_current_page(index);
    return previous;
}

CDialog* CTabCtrl::GetItemData(int index) const
{
    Gtk::Box* slot = Slot(index);
    return slot ? static_cast<CDialog*>(slot->get_data(kPageKey)) : nullptr;
}

Gtk::Box* CTabCtrl::Slot(int index) const
{
    if (!m_pNotebook || index < 0 || index >= GetItemCount())
        return nullptr;
    return dynamic_cast<Gtk::Box*>(m_pNotebook->get_nth_page(index));
}

void CTabCtrl::OnSwitchPageBefore(Gtk::Widget*, guint)
{
    // The notebook still shows the old item here.
    if (!m_bQuiet && m_selChanging)
        m_selChanging();
}

void CTabCtrl::OnSwitchPageAfter(Gtk::Widget*, guint)
{
    if (!m_bQuiet && m_selChange)
        m_selChange();
}

bool CTabCtrl::OnPageKey(GdkEventKey* event)
{
    const int count = GetItemCount();
    if (count == 0)
        return false;
    const auto modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    const guint key = event->keyval;
    const auto shiftControl = static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_SHIFT_MASK);
    int page = -1;
    if ((modifiers == GDK_CONTROL_MASK && (key == GDK_KEY_Page_Down || key == GDK_KEY_KP_Page_Down)) ||
        (modifiers == GDK_CONTROL_MASK && key == GDK_KEY_Tab))
        page = (GetCurSel() + 1) % count;
    else if ((modifiers == GDK_CONTROL_MASK && (key == GDK_KEY_Page_Up || key == GDK_KEY_KP_Page_Up)) ||
             (modifiers == shiftControl && (key == GDK_KEY_ISO_Left_Tab || key == GDK_KEY_Tab)))
        page = (GetCurSel() + count - 1) % count;
    else if (modifiers == GDK_MOD1_MASK && key >= GDK_KEY_1 && key <= GDK_KEY_9)
        page = static_cast<int>(key - GDK_KEY_1);
    if (page < 0 || page >= count)
        return false;
    // As a click on the tab: the old page hides, the new one shows.
    m_pNotebook->set_current_page(page);
    return true;
}
