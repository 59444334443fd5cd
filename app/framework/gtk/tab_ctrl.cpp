#include "app/framework/gtk/tab_ctrl_p.h"

#include <gtkmm/window.h>

#include "app/framework/dialog.h"
#include "app/framework/gtk/quiet_changes.h"

namespace {
const char* const kPageKey = "apconfig-tab-page";
}  // namespace

CTabCtrl::CTabCtrl() : m_pImpl(std::make_unique<Impl>(*this)) {}

CTabCtrl::~CTabCtrl() = default;

bool CTabCtrl::Attach(CDialog* pOwner, int nId)
{
    auto* notebook = pOwner ? pOwner->GetDlgItem<Gtk::Notebook>(nId) : nullptr;
    Gtk::Window* window = pOwner ? pOwner->GetToplevel() : nullptr;
    if (!notebook || !window)
        return false;
    Attach(notebook);
    // Ahead of the focused control: a list would take Ctrl+Page Down as a
    // move of its cursor.
    window->signal_key_press_event().connect(sigc::mem_fun(*m_pImpl, &Impl::OnPageKey), false);
    return true;
}

void CTabCtrl::Attach(Gtk::Notebook* notebook)
{
    m_pImpl->pNotebook = notebook;
    m_pImpl->pNotebook->signal_switch_page().connect(sigc::mem_fun(*m_pImpl, &Impl::OnSwitchPageBefore), false);
    m_pImpl->pNotebook->signal_switch_page().connect(sigc::mem_fun(*m_pImpl, &Impl::OnSwitchPageAfter), true);
}

int CTabCtrl::InsertItem(int index, const std::string& text, CDialog* pPage)
{
    if (!m_pImpl->pNotebook || index < 0 || index > GetItemCount())
        return -1;
    CQuietChanges quiet(m_pImpl->bQuiet);
    // Each item's display area is a slot holding its page, so that a hidden
    // page leaves its tab in place.
    auto* slot = Gtk::make_managed<Gtk::Box>();
    slot->set_data(kPageKey, pPage);
    if (pPage && pPage->GetWindow())
        slot->pack_start(*pPage->GetWindow(), Gtk::PACK_EXPAND_WIDGET);
    slot->show();
    return m_pImpl->pNotebook->insert_page(*slot, text, index);
}

bool CTabCtrl::DeleteItem(int index)
{
    Gtk::Box* slot = m_pImpl->Slot(index);
    if (!slot)
        return false;
    CQuietChanges quiet(m_pImpl->bQuiet);
    // The page is not the item's to destroy: it leaves the slot first.
    for (Gtk::Widget* child : slot->get_children())
        slot->remove(*child);
    m_pImpl->pNotebook->remove_page(index);
    return true;
}

int CTabCtrl::GetItemCount() const
{
    return m_pImpl->pNotebook ? m_pImpl->pNotebook->get_n_pages() : 0;
}

int CTabCtrl::GetCurSel() const
{
    return m_pImpl->pNotebook ? m_pImpl->pNotebook->get_current_page() : -1;
}

int CTabCtrl::SetCurSel(int index)
{
    int previous = GetCurSel();
    if (!m_pImpl->Slot(index))
        return -1;
    CQuietChanges quiet(m_pImpl->bQuiet);
    m_pImpl->pNotebook->set_current_page(index);
    return previous;
}

CDialog* CTabCtrl::GetItemData(int index) const
{
    Gtk::Box* slot = m_pImpl->Slot(index);
    return slot ? static_cast<CDialog*>(slot->get_data(kPageKey)) : nullptr;
}

Gtk::Box* CTabCtrl::Impl::Slot(int index) const
{
    if (!pNotebook || index < 0 || index >= self.GetItemCount())
        return nullptr;
    return dynamic_cast<Gtk::Box*>(pNotebook->get_nth_page(index));
}

void CTabCtrl::Impl::OnSwitchPageBefore(Gtk::Widget*, guint)
{
    // The notebook still shows the old item here.
    if (!bQuiet && self.m_selChanging)
        self.m_selChanging();
}

void CTabCtrl::Impl::OnSwitchPageAfter(Gtk::Widget*, guint)
{
    if (!bQuiet && self.m_selChange)
        self.m_selChange();
}

bool CTabCtrl::Impl::OnPageKey(GdkEventKey* event)
{
    const int count = self.GetItemCount();
    if (count == 0)
        return false;
    const auto modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    const guint key = event->keyval;
    const auto shiftControl = static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_SHIFT_MASK);
    int page = -1;
    if ((modifiers == GDK_CONTROL_MASK && (key == GDK_KEY_Page_Down || key == GDK_KEY_KP_Page_Down)) ||
        (modifiers == GDK_CONTROL_MASK && key == GDK_KEY_Tab))
        page = (self.GetCurSel() + 1) % count;
    else if ((modifiers == GDK_CONTROL_MASK && (key == GDK_KEY_Page_Up || key == GDK_KEY_KP_Page_Up)) ||
             (modifiers == shiftControl && (key == GDK_KEY_ISO_Left_Tab || key == GDK_KEY_Tab)))
        page = (self.GetCurSel() + count - 1) % count;
    else if (modifiers == GDK_MOD1_MASK && key >= GDK_KEY_1 && key <= GDK_KEY_9)
        page = static_cast<int>(key - GDK_KEY_1);
    if (page < 0 || page >= count)
        return false;
    // As a click on the tab: the old page hides, the new one shows.
    pNotebook->set_current_page(page);
    return true;
}

Gtk::Notebook* CTabCtrl::GetNotebook() const
{
    return m_pImpl->pNotebook;
}
