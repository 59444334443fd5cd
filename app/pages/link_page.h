#pragma once

#include <string>

#include "app/framework/dialog.h"
#include "app/pages/link_list_box.h"

class CSerialPort;

// The paired devices page: lists them when first shown, with the maker of
// each and a count, and deletes the selected ones after the user confirms.
// Their addresses can be copied. Lives on the heap and deletes itself once
// its window is gone.
class CLinkPage : public CDialog {
public:
    explicit CLinkPage(CSerialPort* pPort);

    // Lists the paired devices anew; tells the user when that fails.
    void RefreshLinkList();
    // Empties the list, freeing every record.
    void ClearLinkList();
    // Puts the selected addresses on the clipboard, one a line, in list order.
    void OnCopyAddresses();
    CLinkListBox& GetLinkList() { return m_linkList; }
    bool IsListed() const { return m_bListed; }

protected:
    BOOL OnInitDialog() override;
    // Enter and Escape do not end a page.
    void OnOK() override {}
    void OnCancel() override {}
    void OnShowWindow(BOOL bShow, UINT nStatus) override;
    void OnDestroy() override;
    void PostNcDestroy() override;
    void OnSelChangeLinkList();
    void OnDeleteLinks();

    CLinkListBox m_linkList;
    CSerialPort* m_pPort;
    bool m_bListed;

private:
    // The line above the list: what is being read, or how many there are.
    void ShowStatus(const std::string& text);
    void ShowCount();
};
