#pragma once

#include <functional>
#include <string>
#include <vector>

class CDialog;

// A tab control of the owner's template. Each item carries a text and, as
// its data, a page dialog (a child of the owner) placed over the control's
// display area. As with any tab control, only the user's own changes notify:
// clicks, and the page keys the owner's modal loop hands over (Ctrl+Page Down
// and Ctrl+Tab to the next page, Ctrl+Page Up and Ctrl+Shift+Tab to the
// previous one, Alt+1..Alt+9 to a page by place); code's changes do not.
// The pages follow the control when it is moved or resized (the dialog
// manager does both when the window changes dpi).
class CTabCtrl {
public:
    CTabCtrl() = default;
    ~CTabCtrl();
    CTabCtrl(const CTabCtrl&) = delete;
    CTabCtrl& operator=(const CTabCtrl&) = delete;

    bool Attach(CDialog* pOwner, int nId);

    // Inserts before index (the end when index is the count); returns the
    // new item's index, or -1.
    int InsertItem(int index, const std::string& text, CDialog* pPage = nullptr);
    bool DeleteItem(int index);
    int GetItemCount() const;
    int GetCurSel() const;
    // Returns the previous selection, or -1 for an index out of range.
    int SetCurSel(int index);
    CDialog* GetItemData(int index) const;

    // Before the selection leaves its item, and after the new one is current.
    void OnSelChanging(std::function<void()> handler) { m_selChanging = std::move(handler); }
    void OnSelChange(std::function<void()> handler) { m_selChange = std::move(handler); }

    void* GetSafeHwnd() const { return m_hWnd; }
    // Every page over the display area again, as after the control moved.
    void PlacePages() const;

private:
    // As the user: notifies around the change.
    void SelectByUser(int index);
    bool OnKey(unsigned key, bool ctrl, bool shift, bool alt);
    void PlacePage(CDialog* pPage) const;

    CDialog* m_pOwner = nullptr;
    void* m_hWnd = nullptr;
    std::vector<CDialog*> m_pages;  // each item's data, by index
    std::function<void()> m_selChanging;
    std::function<void()> m_selChange;
};
