#pragma once

#include <string>

#include "app/pages/device_page.h"
#include "app/pages/link_list_box.h"

// The paired devices page: lists them when first shown, with the maker of
// each and a count, and deletes the selected ones after the user confirms.
// Their addresses can be copied.
class CLinkPage : public CDevicePage {
public:
    explicit CLinkPage(CSerialPort* pPort);

    // Lists the paired devices anew; tells the user when that fails.
    void RefreshLinkList();
    // Empties the list, freeing every record.
    void ClearLinkList();
    // Puts the selected addresses on the clipboard, one a line, in list order.
    void OnCopyAddresses();
    CLinkListBox& GetLinkList() { return m_linkList; }
    bool IsListed() const { return WasShown(); }

protected:
    BOOL OnInitDialog() override;
    void OnFirstShown() override;
    void OnDestroy() override;
    void OnSelChangeLinkList();
    void OnDeleteLinks();

    CLinkListBox m_linkList;

private:
    // The line above the list: what is being read, or how many there are.
    void ShowStatus(const std::string& text);
    void ShowCount();
};
