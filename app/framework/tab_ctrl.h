#pragma once

#include <functional>
#include <memory>
#include <string>

class CDialog;
#ifndef _WIN32
namespace Gtk {
class Notebook;
}
#endif

// A tab control of the owner's template. Each item carries a text and, as
// its data, a page dialog whose window the item hosts in its display area. As
// with any tab control, only the user's own changes notify: clicks, and the
// page keys in the owner's window (Ctrl+Page Down and Ctrl+Tab to the next
// page, Ctrl+Page Up and Ctrl+Shift+Tab to the previous one, Alt+1..Alt+9 to
// a page by place); selecting, inserting and deleting items from code do not.
// Win32: the pages follow the control when it is moved or resized (the
// dialog manager does both when the window changes dpi).
class CTabCtrl {
public:
    CTabCtrl();
    ~CTabCtrl();

    // The tab control nId of the owner's template; false when it has none.
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

#ifdef _WIN32
    void* GetSafeHwnd() const;
    // Every page over the display area again, as after the control moved.
    void PlacePages() const;
#else
    void Attach(Gtk::Notebook* notebook);
    Gtk::Notebook* GetNotebook() const;
#endif

private:
    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
    std::function<void()> m_selChanging;
    std::function<void()> m_selChange;
};
