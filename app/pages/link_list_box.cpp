#include "app/pages/link_list_box.h"

#include "protocol/manufacturer_registry.h"

// The store exists from the start: a page whose window never came to be
// still clears its list when it goes.
CLinkListBox::CLinkListBox() : m_store(Gtk::ListStore::create(m_columns)) {}

void CLinkListBox::Attach(Gtk::TreeView* view)
{
    m_pView = view;
    if (!m_pView)
        return;
    m_pView->set_model(m_store);
    // Every row is one line of text: with one fixed height the view need not
    // measure each of up to 65 535 rows before it can show the first ones.
    for (Gtk::TreeViewColumn* column : m_pView->get_columns())
        column->set_sizing(Gtk::TREE_VIEW_COLUMN_FIXED);
    m_pView->set_fixed_height_mode(true);
    m_pView->get_selection()->set_mode(Gtk::SELECTION_MULTIPLE);
    m_pView->get_selection()->signal_changed().connect([this] { m_selChange.emit(); });
}

void CLinkListBox::AddRecords(const std::vector<LinkRecord>& records, const CManufacturerRegistry* registry)
{
    // Filled while detached, the view does not lay out each row in turn: a
    // list of 65 535 entries appears at once.
    if (m_pView)
        m_pView->unset_model();
    for (const LinkRecord& record : records) {
        auto row = *m_store->append();
        row.set_value(m_columns.text, Glib::ustring(FormatLinkAddress(record)));
        if (registry)
            row.set_value(m_columns.manufacturer, Glib::ustring(registry->Lookup(record)));
        row.set_value(m_columns.record, record);
    }
    if (m_pView)
        m_pView->set_model(m_store);
}

void CLinkListBox::ResetContent()
{
    if (m_pView)
        m_pView->get_selection()->unselect_all();
    m_store->clear();
}

int CLinkListBox::GetCount() const
{
    return static_cast<int>(m_store->children().size());
}

int CLinkListBox::GetSelCount() const
{
    return m_pView ? m_pView->get_selection()->count_selected_rows() : 0;
}

std::vector<LinkRecord> CLinkListBox::GetSelectedRecords() const
{
    std::vector<LinkRecord> records;
    if (!m_pView)
        return records;
    // The selection comes in list order.
    for (const Gtk::TreeModel::Path& path : m_pView->get_selection()->get_selected_rows())
        records.push_back((*m_store->get_iter(path))[m_columns.record]);
    return records;
}

std::vector<std::string> CLinkListBox::GetSelectedTexts() const
{
    std::vector<std::string> texts;
    if (!m_pView)
        return texts;
    for (const Gtk::TreeModel::Path& path : m_pView->get_selection()->get_selected_rows())
        texts.push_back(Glib::ustring((*m_store->get_iter(path))[m_columns.text]));
    return texts;
}

std::vector<std::string> CLinkListBox::GetTexts() const
{
    std::vector<std::string> texts;
    for (const auto& row : m_store->children())
        texts.push_back(Glib::ustring(row[m_columns.text]));
    return texts;
}

std::vector<std::string> CLinkListBox::GetManufacturers() const
{
    std::vector<std::string> makers;
    for (const auto& row : m_store->children())
        makers.push_back(Glib::ustring(row[m_columns.manufacturer]));
    return makers;
}

void CLinkListBox::SetSel(int index, bool select)
{
    if (!m_pView || index < 0 || index >= GetCount())
        return;
    Gtk::TreeModel::Path path(std::to_string(index));
    if (select)
        m_pView->get_selection()->select(path);
    else
        m_pView->get_selection()->unselect(path);
}
