#include "app/framework/gtk/list_view.h"

#include <gtkmm/menuitem.h>

#include "app/framework/gtk/dialog.h"

// The store exists from the start: an owner whose window never came to be
// can still empty its list.
CListView::CListView() : m_store(Gtk::ListStore::create(m_columns)) {}

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
    m_pView = view;
    if (!m_pView)
        return;
    m_pView->set_model(m_store);
    m_bDetached = false;
    // Every row is one line of text: with one fixed height the view need not
    // measure each of up to 65 535 rows before it can show the first ones.
    for (Gtk::TreeViewColumn* column : m_pView->get_columns())
        column->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    m_pView->set_fixed_height_mode(true);
    m_pView->get_selection()->set_mode(Gtk::SELECTION_MULTIPLE);
    m_pView->get_selection()->signal_changed().connect([this] {
        if (m_selChange)
            m_selChange();
    });
    m_pView->signal_key_press_event().connect(sigc::mem_fun(*this, &CListView::OnKeyPress), false);
    m_pView->signal_button_press_event().connect(sigc::mem_fun(*this, &CListView::OnButtonPress), false);
    m_pView->signal_popup_menu().connect([this] {
        if (!m_menuChosen)
            return false;
        PopUpMenu(nullptr);
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
    if (count == 0 && m_pView && !m_bDetached) {
        m_pView->unset_model();
        m_bDetached = true;
        m_reattach = Glib::signal_idle().connect(
            [this] {
                Reattach();
                return false;
            },
            Glib::PRIORITY_HIGH_IDLE);
    }
    const bool atEnd = index >= count;
    auto row = atEnd ? *m_store->append() : *m_store->insert(m_store->children()[index]);
    row.set_value(m_columns.first, Glib::ustring(first));
    row.set_value(m_columns.second, Glib::ustring(second));
    return atEnd ? count : index;
}

void CListView::Reattach() const
{
    m_reattach.disconnect();
    if (!m_bDetached || !m_pView)
        return;
    m_bDetached = false;
    m_pView->set_model(m_store);
}

void CListView::DeleteAllItems()
{
    Reattach();
    if (m_pView)
        m_pView->get_selection()->unselect_all();
    m_store->clear();
}

int CListView::GetItemCount() const
{
    return static_cast<int>(m_store->children().size());
}

int CListView::GetSelectedCount() const
{
    Reattach();
    return m_pView ? m_pView->get_selection()->count_selected_rows() : 0;
}

std::vector<int> CListView::GetSelectedItems() const
{
    Reattach();
    std::vector<int> rows;
    if (!m_pView)
        return rows;
    // The selection comes in list order.
    for (const Gtk::TreeModel::Path& path : m_pView->get_selection()->get_selected_rows())
        rows.push_back(path.front());
    return rows;
}

void CListView::SetItemSelected(int index, bool bSelected)
{
    Reattach();
    if (!m_pView || index < 0 || index >= GetItemCount())
        return;
    Gtk::TreeModel::Path path(std::to_string(index));
    if (bSelected)
        m_pView->get_selection()->select(path);
    else
        m_pView->get_selection()->unselect(path);
}

std::string CListView::GetItemText(int index, int column) const
{
    if (index < 0 || index >= GetItemCount() || column < 0 || column > 1)
        return {};
    const auto row = m_store->children()[index];
    return Glib::ustring(column == 0 ? row[m_columns.first] : row[m_columns.second]);
}

void CListView::SetContextMenu(const std::string& itemText, std::function<void()> chosen)
{
    m_menuChosen = std::move(chosen);
    for (Gtk::Widget* item : m_menu.get_children())
        m_menu.remove(*item);
    auto* item = Gtk::make_managed<Gtk::MenuItem>(itemText);
    item->signal_activate().connect([this] {
        if (m_menuChosen)
            m_menuChosen();
    });
    m_menu.append(*item);
    m_menu.show_all();
    if (m_pView && !m_menu.get_attach_widget())
        m_menu.attach_to_widget(*m_pView);
}

bool CListView::OnKeyPress(GdkEventKey* event)
{
    const auto modifiers = event->state & gtk_accelerator_get_default_mod_mask();
    if (m_copy && modifiers == GDK_CONTROL_MASK &&
        (event->keyval == GDK_KEY_c || event->keyval == GDK_KEY_C || event->keyval == GDK_KEY_Insert)) {
        m_copy();
        return true;
    }
    return false;
}

bool CListView::OnButtonPress(GdkEventButton* event)
{
    if (!m_menuChosen || event->type != GDK_BUTTON_PRESS || event->button != 3)
        return false;
    Reattach();
    // As in a file manager: a right click on a row outside the selection
    // selects that row alone.
    Gtk::TreeModel::Path path;
    if (m_pView->get_path_at_pos(static_cast<int>(event->x), static_cast<int>(event->y), path) &&
        !m_pView->get_selection()->is_selected(path)) {
        m_pView->get_selection()->unselect_all();
        m_pView->get_selection()->select(path);
        m_pView->set_cursor(path);
    }
    PopUpMenu(reinterpret_cast<const GdkEvent*>(event));
    return true;
}

void CListView::PopUpMenu(const GdkEvent* event)
{
    for (Gtk::Widget* item : m_menu.get_children())
        item->set_sensitive(GetSelectedCount() != 0);
    if (event)
        m_menu.popup_at_pointer(event);
    else if (m_pView)
        m_menu.popup_at_widget(m_pView, Gdk::GRAVITY_CENTER, Gdk::GRAVITY_NORTH_WEST, nullptr);
}
