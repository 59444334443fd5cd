#pragma once

#include "app/framework/dialog.h"
#include "app/pages/link_list_box.h"

class CSerialPort;

// The paired devices page: lists them when first shown, and deletes the
// selected ones after the user confirms. Lives on the heap and deletes itself
// once its window is gone.
class CLinkPage : public CDialog {
public:
    explicit CLinkPage(CSerialPort* pPort);

    // Lists the paired devices anew; tells the user when that fails.
    void RefreshLinkList();
    // Empties the list, freeing every record.
    void ClearLinkList();
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
};
