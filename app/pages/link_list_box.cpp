#include "app/pages/link_list_box.h"

#include "manufacturer_registry.h"

bool CLinkListBox::Attach(CDialog* pOwner, int nId)
{
    return m_list.Attach(pOwner, nId);
}

void CLinkListBox::AddRecords(const std::vector<LinkRecord>& records, const CManufacturerRegistry* registry)
{
    m_records.reserve(m_records.size() + records.size());
    for (const LinkRecord& record : records) {
        m_list.InsertItem(m_list.GetItemCount(), FormatLinkAddress(record), registry ? registry->Lookup(record) : "");
        m_records.push_back(record);
    }
}

void CLinkListBox::ResetContent()
{
    m_list.DeleteAllItems();
    m_records.clear();
}

int CLinkListBox::GetCount() const
{
    return m_list.GetItemCount();
}

int CLinkListBox::GetSelCount() const
{
    return m_list.GetSelectedCount();
}

std::vector<LinkRecord> CLinkListBox::GetSelectedRecords() const
{
    std::vector<LinkRecord> records;
    for (int row : m_list.GetSelectedItems())
        records.push_back(m_records.at(static_cast<size_t>(row)));
    return records;
}

std::vector<std::string> CLinkListBox::GetSelectedTexts() const
{
    std::vector<std::string> texts;
    for (int row : m_list.GetSelectedItems())
        texts.push_back(m_list.GetItemText(row, 0));
    return texts;
}

std::vector<std::string> CLinkListBox::Column(int column) const
{
    std::vector<std::string> texts;
    const int count = m_list.GetItemCount();
    texts.reserve(static_cast<size_t>(count));
    for (int row = 0; row < count; ++row)
        texts.push_back(m_list.GetItemText(row, column));
    return texts;
}

std::vector<std::string> CLinkListBox::GetTexts() const
{
    return Column(0);
}

std::vector<std::string> CLinkListBox::GetManufacturers() const
{
    return Column(1);
}

void CLinkListBox::SetSel(int index, bool select)
{
    m_list.SetItemSelected(index, select);
}
