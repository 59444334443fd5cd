#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/framework/list_view.h"
#include "protocol/link_record.h"

class CDialog;
class CManufacturerRegistry;

// The paired devices list box: one entry per device, shown by its address
// and the maker its address is registered to, each entry owning a copy of
// its record. Several entries can be selected.
class CLinkListBox {
public:
    // The list control nId of the owner's template.
    bool Attach(CDialog* pOwner, int nId);

    // Appends an entry per record, in order; the makers come from registry
    // (null: none).
    void AddRecords(const std::vector<LinkRecord>& records, const CManufacturerRegistry* registry = nullptr);
    void ResetContent();
    int GetCount() const;
    int GetSelCount() const;
    // The records of the selected entries, from the first position to the last.
    std::vector<LinkRecord> GetSelectedRecords() const;
    // The addresses of the selected entries, in list order.
    std::vector<std::string> GetSelectedTexts() const;
    std::vector<std::string> GetTexts() const;
    std::vector<std::string> GetManufacturers() const;
    // Selects (or clears) the entry at a position, as the user could.
    void SetSel(int index, bool select);

    void OnSelChange(std::function<void()> handler) { m_list.OnSelChange(std::move(handler)); }
    void OnCopy(std::function<void()> handler) { m_list.OnCopy(std::move(handler)); }
    void SetContextMenu(const std::string& itemText, std::function<void()> chosen)
    {
        m_list.SetContextMenu(itemText, std::move(chosen));
    }

private:
    std::vector<std::string> Column(int column) const;

    CListView m_list;
    // Row by row with the list's entries.
    std::vector<LinkRecord> m_records;
};
