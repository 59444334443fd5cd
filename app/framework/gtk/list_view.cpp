#include "app/framework/gtk/list_view_p.h"

#include <gtkmm/menuitem.h>

#include "app/framework/dialog.h"

// The store exists from the start: an owner whose window never came to be
// can still empty its list.
CListView::CListView() : m_pImpl(std::make_unique<Impl>(*this)) {}

CListView::~CListView() = default;

bool CListView::Attach(CDialog* pOwner, int nId)
{
    auto* view = pOwner ? pOwner->GetDlgItem<Gtk::TreeView>(nId) : nullptr;
    if (!view)
        return false;
    Attach(view);
    return true;
}

void CListView::Attach(Gtk::TreeView* view)
{
    m_pImpl->pView = view;
    if (!m_pImpl->pView)
        return;
    m_pImpl->pView->set_model(m_pImpl->store);
    m_pImpl->bDetached = false;
    // Every row is one line of text: with one fixed height the view need not
    // measure each of up to 65 535 rows before it can show the first ones.
    for (Gtk::TreeViewColumn* column : m_pImpl->pView->get_columns())
        column->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    m_pImpl->pView->set_fixed_height_mode(true);
    m_pImpl->pView->get_selection()->set_mode(Gtk::SELECTION_MULTIPLE);
    m_pImpl->pView->get_selection()->signal_changed().connect([this] {
        if (m_selChange)
            m_selChange();
    });
    m_pImpl->pView->signal_key_press_event().connect(sigc::mem_fun(*m_pImpl, &Impl::OnKeyPress), false);
    m_pImpl->pView->signal_button_press_event().connect(sigc::mem_fun(*m_pImpl, &Impl::OnButtonPress), false);
    m_pImpl->pView->signal_popup_menu().connect([this] {
        if (!m_menuChosen)
            return false;
        m_pImpl->PopUpMenu(nullptr);
        return true;
    });
}

int CListView::InsertItem(int index, const std::string& first, const std::string& second)
{
    if (index < 0)
        return -1;
    const int count = GetItemCount();
    // Filled while detached, the view does not lay out each row in turn: a
    // list of 65 535 rows appears at once. Only an empty list is filled so,
    // so no selection is lost; the rows are back before the view next draws.
    if (count == 0 && m_pImpl->pView && !m_pImpl->bDetached) {
        m_pImpl->pView->unset_model();
        m_pImpl->bDetached = true;
        m_pImpl->reattach = Glib::signal_idle().connect(
            [this] {
                m_pImpl->Reattach();
                return false;
            },
            Glib::PRIORITY_HIGH_IDLE);
    }
    const bool atEnd = index >= count;
    auto row = atEnd ? *m_pImpl->store->append() : *m_pImpl->store->insert(m_pImpl->store->children()[index]);
    row.set_value(m_pImpl->columns.first, Glib::ustring(first));
    row.set_value(m_pImpl->columns.second, Glib::ustring(second));
    return atEnd ? count : index;
}

void CListView::Impl::Reattach()
{
    reattach.disconnect();
    if (!bDetached || !pView)
        return;
    bDetached = false;
    pView->set_model(store);
}

void CListView::DeleteAllItems()
{
    m_pImpl->Reattach();
    if (m_pImpl->pView)
        m_pImpl->pView->get_selection()->unselect_all();
    m_pImpl->store->clear();
}

int CListView::GetItemCount() const
{
    return static_cast<int>(m_pImpl->store->children().size());
}

int CListView::GetSelectedCount() const
{
    m_pImpl->Reattach();
    return m_pImpl->pView ? m_pImpl->pView->get_selection()->count_selected_rows() : 0;
}

std::vector<int> CListView::GetSelectedItems() const
{
    m_pImpl->Reattach();
    std::vector<int> rows;
    if (!m_pImpl->pView)
        return rows;
    // The selection comes in list order.
    for (const Gtk::TreeModel::Path& path : m_pImpl->pView->get_selection()->get_selected_rows())
        rows.push_back(path.front());
    return rows;
}

void CListView::SetItemSelected(int index, bool bSelected)
{
    m_pImpl->Reattach();
    if (!m_pImpl->pView || index < 0 || index >= GetItemCount())
        return;
    Gtk::TreeModel::Path path(std::to_string(index));
    if (bSelected)
        m_pImpl->pView->get_selection()->select(path);
    else
        m_pImpl->pView->get_selection()->unselect(path);
}

std::string CListView::GetItemText(int index, int column) const
{
    if (index < 0 || index >= GetItemCount() || column < 0 || column > 1)
        return {};
    const auto row = m_pImpl->store->children()[index];
    return Glib::ustring(column == 0 ? row[m_pImpl->columns.first] : row[m_pImpl->columns.second]);
}

void CListView::SetContextMenu(const std::string& itemText, std::function<void()> chosen)
{
    m_menuChosen = std::move(chosen);
    for (Gtk::Widget* item : m_pImpl->menu.get_children())
        m_pImpl->menu.remove(*item);
    auto* item = Gtk::make_managed<Gtk::MenuItem>(itemText);
    item->signal_activate().connect([this] {
        if (m_menuChosen)
            m_menuChosen();
    });
    m_pImpl->menu.append(*item);
    m_pImpl->menu.show_all();
    if (m_pImpl->pView && !m_pImpl->menu.get_attach_widget())
        m_pImpl->menu.attach_to_widget(*m_pImpl->pView);
}

bool CListView::Impl::OnKeyPress(GdkEventKey* event)
{
    const auto modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    if (self.m_copy && modifiers == GDK_CONTROL_MASK &&
        (event->keyval == GDK_KEY_c || event->keyval == GDK_KEY_C || event->keyval == GDK_KEY_Insert)) {
        self.m_copy();
        return true;
    }
    return false;
}

bool CListView::Impl::OnButtonPress(GdkEventButton* event)
{
    if (!self.m_menuChosen || event->type != GDK_BUTTON_PRESS || event->button != 3)
        return false;
    Reattach();
    // As in a file manager: a right click on a row outside the selection
    // selects that row alone.
    Gtk::TreeModel::Path path;
    if (pView->get_path_at_pos(static_cast<int>(event->x), static_cast<int>(event->y), path) &&
        !pView->get_selection()->is_selected(path)) {
        pView->get_selection()->unselect_all();
        pView->get_selection()->select(path);
        pView->set_cursor(path);
    }
    PopUpMenu(reinterpret_cast<const GdkEvent*>(event));
    return true;
}

void CListView::Impl::PopUpMenu(const GdkEvent* event)
{
    for (Gtk::Widget* item : menu.get_children())
        item->set_sensitive(self.GetSelectedCount() != 0);
    if (event)
        menu.popup_at_pointer(event);
    else if (pView)
        menu.popup_at_widget(pView, Gdk::GRAVITY_CENTER, Gdk::GRAVITY_NORTH_WEST, nullptr);
}

Gtk::TreeView* CListView::GetTreeView() const
{
    return m_pImpl->pView;
}
