// The Win32 window framework in-process, under Wine and a display: dialogs
// from lidany.dll's templates, controls by number, the list, the tab's
// notifications (the user's changes only), the ANSI edits and their byte
// limit, Enter and Escape for the dialog holding the focus, the caption menu
// and message boxes through the responder.
#include <gtest/gtest.h>

#include "app/framework/win32/windows_api.h"

#include <functional>
#include <string>
#include <vector>

#include "protocol/ansi_code_page.h"
#include "app/framework/app_init.h"
#include "app/framework/busy_window.h"
#include "app/framework/clipboard.h"
#include "app/framework/single_instance_lock.h"
#include "app/framework/combo_box.h"
#include "app/framework/dialog.h"
#include "app/framework/list_view.h"
#include "app/framework/resource_library.h"
#include "app/framework/tab_ctrl.h"
#include "app/framework/user_responder.h"
#include "app/resource_ids.h"

namespace {

HWND Hwnd(void* handle)
{
    return static_cast<HWND>(handle);
}

std::wstring ClassOf(void* hWnd)
{
    wchar_t name[64] = {};
    ::GetClassNameW(Hwnd(hWnd), name, 64);
    return name;
}

// A modal dialog that runs a test body from OnInitDialog, then whatever the
// body posted to its queue, and ends when told.
class CProbeDlg : public CDialog {
public:
    explicit CProbeDlg(int id, std::function<void(CProbeDlg&)> body = {}) : CDialog(id), m_body(std::move(body)) {}
    std::vector<std::string> events;
    std::function<void()> onOK, onCancel;

protected:
    BOOL OnInitDialog() override
    {
        if (m_body)
            m_body(*this);
        return TRUE;
    }
    void OnOK() override { events.push_back("OK"); if (onOK) onOK(); else EndDialog(IDOK); }
    void OnCancel() override { events.push_back("Cancel"); if (onCancel) onCancel(); else EndDialog(IDCANCEL); }
    void OnSysCommand(unsigned id) override { events.push_back("sys" + std::to_string(id)); }

private:
    std::function<void(CProbeDlg&)> m_body;
};

class CProbePage : public CDialog {
public:
    CProbePage() : CDialog(0) {}
    std::vector<std::string> events;

protected:
    void OnOK() override { events.push_back("page OK"); }
    void OnCancel() override { events.push_back("page Cancel"); }
    void OnShowWindow(BOOL bShow, UINT) override { events.push_back(bShow ? "shown" : "hidden"); }
    void OnDestroy() override { events.push_back("destroy"); }
    void PostNcDestroy() override { events.push_back("gone"); }
};

class CRecordingResponder : public CUserResponder {
public:
    int MessageBox(void*, const std::string& text, const std::string& caption, UINT style) override
    {
        boxes.push_back(caption + "|" + text + "|" + std::to_string(style));
        return IDCANCEL;
    }
    void MessageBeep(UINT) override { ++beeps; }
    std::vector<std::string> boxes;
    int beeps = 0;
};

// Keys as the user types them, through the dialog's own queue: the modal
// loop sees them as it would the keyboard's.
void PostKey(void* hWnd, unsigned key, std::vector<unsigned> held = {})
{
    BYTE state[256] = {};
    for (unsigned k : held)
        state[k] = 0x80;
    ::SetKeyboardState(state);
    const bool alt = state[VK_MENU] != 0;
    ::PostMessageW(Hwnd(hWnd), alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, alt ? (1 << 29) : 0);
}

// Runs fn from the loop once everything posted before it was handled.
struct CLater {
    static void Post(CDialog& dialog, std::function<void()> fn)
    {
        static const UINT kLater = ::RegisterWindowMessageW(L"apconfig.test.later");
        ::SetWindowSubclass(
            Hwnd(dialog.GetSafeHwnd()),
            [](HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR) -> LRESULT {
                if (m == kLater) {
                    auto* call = reinterpret_cast<std::function<void()>*>(l);
                    (*call)();
                    delete call;
                    return 0;
                }
                return ::DefSubclassProc(h, m, w, l);
            },
            1, 0);
        ::PostMessageW(Hwnd(dialog.GetSafeHwnd()), kLater, 0, LPARAM(new std::function<void()>(std::move(fn))));
    }
};

class Win32FrameworkTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(CResourceLibrary::Load());
        ASSERT_TRUE(AfxWinInit(nullptr, nullptr));
    }
    void SetUp() override { CUserResponder::Replace(&responder); }
    void TearDown() override
    {
        CUserResponder::Replace(nullptr);
        CAnsiCodePage::Select("");
        EXPECT_EQ(CDialog::LiveCount(), 0);
    }
    CRecordingResponder responder;
};

// The loader reads resource 1 of type 24 at start: a manifest asking for
// version 6 of the common controls (today's look on Windows).
TEST_F(Win32FrameworkTest, TheProgramCarriesTheCommonControlsManifest)
{
    HRSRC resource = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(resource, nullptr);
    const auto* data = static_cast<const char*>(::LockResource(::LoadResource(nullptr, resource)));
    const std::string manifest(data, ::SizeofResource(nullptr, resource));
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */), nullptr);
}

struct TemplateCase {
    int id;
    bool child;
    std::vector<std::pair<int, const wchar_t*>> controls;
};

TEST_F(Win32FrameworkTest, EveryTemplateHasItsControlsByNumber)
{
    const std::vector<TemplateCase> cases{
        {IDD_PORT_SELECT, false, {{IDC_PORT, L"ComboBox"}, {IDC_PORT_DETAILS, L"Static"}, {IDC_PORT_HINTS, L"Static"},
                                  {IDOK, L"Button"}, {IDCANCEL, L"Button"}}},
        {IDD_ABOUT, false, {{IDOK, L"Button"}}},
        {IDD_MAIN, false, {{IDC_TAB, L"SysTabControl32"}}},
        {IDD_LINK_PAGE, true, {{IDC_LINK_LIST, L"SysListView32"}, {IDC_LINK_COUNT, L"Static"},
                               {IDC_DELETE_LINKS, L"Button"}}},
        {IDD_PIN_PAGE, true, {{IDC_PIN_IN_FORCE, L"Edit"}, {IDC_PIN_NEW, L"Edit"}, {IDC_PIN_AGAIN, L"Edit"},
                              {IDC_CHANGE_PIN, L"Button"}}},
        {IDD_LOCAL_NAME_PAGE, true, {{IDC_NAME, L"Edit"}, {IDC_CHANGE_NAME, L"Button"}}},
        {IDD_NAME_EDIT, false, {{IDC_NAME, L"Edit"}, {IDOK, L"Button"}, {IDCANCEL, L"Button"}}},
        {IDD_IDENTIFYING, false, {{IDC_WAIT_TEXT, L"Static"}}},
    };
    for (const auto& c : cases) {
        auto check = [&c](CDialog& dialog) {
            for (const auto& [id, kind] : c.controls) {
                ASSERT_NE(dialog.GetDlgItem(id), nullptr) << c.id << "/" << id;
                EXPECT_EQ(ClassOf(dialog.GetDlgItem(id)), kind) << c.id << "/" << id;
            }
        };
        if (c.child) {
            CProbeDlg host(IDD_MAIN, [&](CProbeDlg& main) {
                CProbePage page;
                EXPECT_TRUE(page.Create(c.id, &main)) << c.id;
                check(page);
                EXPECT_FALSE(page.IsWindowVisible());
                page.DestroyWindow();
                main.EndDialog(IDOK);
            });
            EXPECT_EQ(host.DoModal(), IDOK) << c.id;
            // A page is no dialog of its own.
            EXPECT_EQ(CProbeDlg(c.id).DoModal(), -1) << c.id;
        } else {
            CProbeDlg dialog(c.id, [&](CProbeDlg& self) {
                check(self);
                self.EndDialog(IDOK);
            });
            EXPECT_EQ(dialog.DoModal(), IDOK) << c.id;
        }
    }
    EXPECT_EQ(CProbeDlg(124).DoModal(), -1);
}

TEST_F(Win32FrameworkTest, PagesAreToldOfShowingAndGoWithTheirParent)
{
    CProbePage page;
    CProbeDlg main(IDD_MAIN, [&](CProbeDlg& self) {
        // A modal template is no page.
        CProbePage notAPage;
        EXPECT_FALSE(notAPage.Create(IDD_ABOUT, &self));
        ASSERT_TRUE(page.Create(IDD_PIN_PAGE, &self));
        page.ShowWindow(SW_SHOW);
        page.ShowWindow(SW_SHOW);  // no change, no notice
        page.ShowWindow(SW_HIDE);
        self.EndDialog(IDOK);
    });
    EXPECT_EQ(main.DoModal(), IDOK);
    EXPECT_EQ(page.events, (std::vector<std::string>{"shown", "hidden", "destroy", "gone"}));
    EXPECT_EQ(page.GetSafeHwnd(), nullptr);
}

TEST_F(Win32FrameworkTest, EditsTakeAndGiveTheAnsiCodePage)
{
    CAnsiCodePage::Select("CP1252");
    CProbeDlg dialog(IDD_NAME_EDIT, [](CProbeDlg& self) {
        self.SetDlgItemText(IDC_NAME, "Caf\xE9 \x80");  // é and € in CP1252
        wchar_t wide[32] = {};
        ::GetWindowTextW(Hwnd(self.GetDlgItem(IDC_NAME)), wide, 32);
        EXPECT_EQ(std::wstring(wide), L"Caf\u00E9 \u20AC");
        EXPECT_EQ(self.GetDlgItemText(IDC_NAME, 20), "Caf\xE9 \x80");
        EXPECT_EQ(self.GetDlgItemText(IDC_NAME, 4), "Caf\xE9");
        // A character the code page lacks comes back as "?".
        ::SetWindowTextW(Hwnd(self.GetDlgItem(IDC_NAME)), L"\u65E5x");
        EXPECT_EQ(self.GetDlgItemText(IDC_NAME, 20), "?x");
        self.EndDialog(IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST_F(Win32FrameworkTest, LimitCountsBytesOfTheCodePageNotCharacters)
{
    const std::vector<std::pair<const char*, std::wstring>> cases{
        {"CP1252", L"abcdef"},       // one byte each: cut to four characters
        {"CP932", L"\u65E5\u672C\u8A9E"},  // two bytes each: cut to two
    };
    for (const auto& [page, typed] : cases) {
        CAnsiCodePage::Select(page);
        int beepsBefore = responder.beeps;
        CProbeDlg dialog(IDD_NAME_EDIT, [&, page = page](CProbeDlg& self) {
            self.LimitText(IDC_NAME, 4);
            ::SetWindowTextW(Hwnd(self.GetDlgItem(IDC_NAME)), typed.c_str());  // as a paste would
            EXPECT_EQ(self.GetDlgItemText(IDC_NAME, 100).size(), 4u) << page;
            wchar_t wide[32] = {};
            ::GetWindowTextW(Hwnd(self.GetDlgItem(IDC_NAME)), wide, 32);
            EXPECT_EQ(std::wstring(wide), typed.substr(0, std::string(page) == "CP932" ? 2 : 4)) << page;
            self.EndDialog(IDOK);
        });
        dialog.DoModal();
        EXPECT_GT(responder.beeps, beepsBefore) << page;
    }
}

TEST_F(Win32FrameworkTest, ListSelectsSeveralRowsAndNotifies)
{
    CProbePage page;
    CProbeDlg main(IDD_MAIN, [&](CProbeDlg& self) {
        ASSERT_TRUE(page.Create(IDD_LINK_PAGE, &self));
        CListView list;
        ASSERT_TRUE(list.Attach(&page, IDC_LINK_LIST));
        EXPECT_FALSE(CListView().Attach(&page, IDC_DELETE_LINKS));
        // Headings from the string table.
        wchar_t heading[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = heading;
        column.cchTextMax = 64;
        ASSERT_TRUE(::SendMessageW(Hwnd(list.GetSafeHwnd()), LVM_GETCOLUMNW, 1, LPARAM(&column)));
        EXPECT_EQ(Utf16ToUtf8(heading), CResourceLibrary::LoadString(IDS_LINK_COLUMN_MANUFACTURER));
        int notices = 0;
        list.OnSelChange([&] { ++notices; });
        int expected = 0;
        for (const char* address : {"00:11:22:33:44:55", "66:77:88:99:AA:BB", "CC:DD:EE:FF:00:11"}) {
            const int row = list.InsertItem(list.GetItemCount(), address, "Maker \xE2\x80\x94 Ltd");
            EXPECT_EQ(row, expected++);
        }
        EXPECT_EQ(list.GetItemText(1, 0), "66:77:88:99:AA:BB");
        EXPECT_EQ(list.GetItemText(1, 1), "Maker \xE2\x80\x94 Ltd");
        EXPECT_EQ(list.GetItemText(3, 0), "");
        list.SetItemSelected(2, true);
        list.SetItemSelected(0, true);
        EXPECT_EQ(notices, 2);
        EXPECT_EQ(list.GetSelectedItems(), (std::vector<int>{0, 2}));
        list.SetItemSelected(2, false);
        EXPECT_EQ(list.GetSelectedCount(), 1);
        EXPECT_EQ(notices, 3);
        list.DeleteAllItems();
        EXPECT_EQ(list.GetItemCount(), 0);
        EXPECT_TRUE(list.GetSelectedItems().empty());
        self.EndDialog(IDOK);
    });
    EXPECT_EQ(main.DoModal(), IDOK);
}

TEST_F(Win32FrameworkTest, ListCopiesOnCtrlCAndOffersItsMenuOnlyForASelection)
{
    CProbePage page;
    CListView list;
    std::vector<std::string> events;
    CProbeDlg main(IDD_MAIN, [&](CProbeDlg& self) {
        ASSERT_TRUE(page.Create(IDD_LINK_PAGE, &self));
        page.ShowWindow(SW_SHOW);
        ASSERT_TRUE(list.Attach(&page, IDC_LINK_LIST));
        list.InsertItem(0, "00:11:22:33:44:55", "");
        list.OnCopy([&] { events.push_back("copy " + std::to_string(list.GetSelectedCount())); });
        list.SetContextMenu("Copy address", [&] { events.push_back("menu"); });
        CLater::Post(self, [&] {
            ::SetFocus(Hwnd(list.GetSafeHwnd()));
            // Nothing selected: the menu's item is disabled, Return picks nothing.
            ::PostMessageW(Hwnd(list.GetSafeHwnd()), WM_CONTEXTMENU, WPARAM(list.GetSafeHwnd()), -1);
            PostKey(list.GetSafeHwnd(), VK_DOWN);
            PostKey(list.GetSafeHwnd(), VK_RETURN);
            CLater::Post(self, [&] {
                list.SetItemSelected(0, true);
                PostKey(list.GetSafeHwnd(), 'C', {VK_CONTROL});
                CLater::Post(self, [&] {
                    PostKey(list.GetSafeHwnd(), VK_INSERT, {VK_CONTROL});
                    CLater::Post(self, [&] {
                        BYTE none[256] = {};
                        ::SetKeyboardState(none);
                        ::PostMessageW(Hwnd(list.GetSafeHwnd()), WM_CONTEXTMENU, WPARAM(list.GetSafeHwnd()), -1);
                        PostKey(list.GetSafeHwnd(), VK_DOWN);
                        PostKey(list.GetSafeHwnd(), VK_RETURN);
                        CLater::Post(self, [&] { self.EndDialog(IDOK); });
                    });
                });
            });
        });
    });
    EXPECT_EQ(main.DoModal(), IDOK);
    EXPECT_EQ(events, (std::vector<std::string>{"copy 1", "copy 1", "menu"}));
}

TEST_F(Win32FrameworkTest, TabNotifiesOnlyTheUsersChanges)
{
    std::vector<std::string> notices;
    CTabCtrl tab;
    CProbeDlg main(IDD_MAIN, [&](CProbeDlg& self) {
        ASSERT_TRUE(tab.Attach(&self, IDC_TAB));
        tab.OnSelChanging([&] { notices.push_back("changing " + std::to_string(tab.GetCurSel())); });
        tab.OnSelChange([&] { notices.push_back("change " + std::to_string(tab.GetCurSel())); });
        for (const char* text : {"Paired Devices", "PIN Code", "Device Name"})
            tab.InsertItem(tab.GetItemCount(), text);
        EXPECT_EQ(tab.SetCurSel(1), 0);
        EXPECT_EQ(tab.SetCurSel(7), -1);
        EXPECT_TRUE(notices.empty());  // code's changes are quiet
        const std::vector<std::pair<unsigned, std::vector<unsigned>>> keys{
            {VK_NEXT, {VK_CONTROL}},           // 1 -> 2
            {VK_TAB, {VK_CONTROL}},            // 2 -> 0, round
            {VK_TAB, {VK_CONTROL, VK_SHIFT}},  // 0 -> 2
            {VK_PRIOR, {VK_CONTROL}},          // 2 -> 1
            {'1', {VK_MENU}},                  // -> 0
            {'9', {VK_MENU}},                  // no ninth page: nothing
        };
        // One key at a time: the modifiers are read as each is handled.
        static std::function<void(size_t)> step;
        step = [&, keys](size_t i) {
            if (i == keys.size()) {
                BYTE none[256] = {};
                ::SetKeyboardState(none);
                EXPECT_TRUE(tab.DeleteItem(0));
                EXPECT_EQ(tab.GetItemCount(), 2);
                self.EndDialog(IDOK);
                return;
            }
            PostKey(tab.GetSafeHwnd(), keys[i].first, keys[i].second);
            CLater::Post(self, [i] { step(i + 1); });
        };
        step(0);
    });
    EXPECT_EQ(main.DoModal(), IDOK);
    EXPECT_EQ(notices, (std::vector<std::string>{"changing 1", "change 2", "changing 2", "change 0", "changing 0",
                                                 "change 2", "changing 2", "change 1", "changing 1", "change 0"}));
}

TEST_F(Win32FrameworkTest, EnterAndEscapeGoToTheDialogHoldingTheFocus)
{
    CProbePage page;
    CProbeDlg main(IDD_MAIN, [&](CProbeDlg& self) {
        ASSERT_TRUE(page.Create(IDD_PIN_PAGE, &self));
        page.ShowWindow(SW_SHOW);
        CLater::Post(self, [&] {
            ::SetFocus(Hwnd(page.GetDlgItem(IDC_PIN_NEW)));
            PostKey(page.GetDlgItem(IDC_PIN_NEW), VK_ESCAPE);
            PostKey(page.GetDlgItem(IDC_PIN_NEW), VK_RETURN);
            CLater::Post(self, [&] {
                // The caption's close button is the window's own Cancel.
                ::PostMessageW(Hwnd(self.GetSafeHwnd()), WM_CLOSE, 0, 0);
            });
        });
    });
    EXPECT_EQ(main.DoModal(), IDCANCEL);
    EXPECT_EQ(main.events, (std::vector<std::string>{"Cancel"}));
    EXPECT_EQ(page.events, (std::vector<std::string>{"shown", "page Cancel", "page OK", "destroy", "gone"}));
}

TEST_F(Win32FrameworkTest, ButtonsCaptionMenuAndComboReachTheirHandlers)
{
    std::vector<std::string> clicks;
    CProbeDlg dialog(IDD_PORT_SELECT, [&](CProbeDlg& self) {
        self.OnClicked(IDOK, [&] { clicks.push_back("OK clicked"); self.EndDialog(42); });
        self.AppendCaptionMenu(IDS_ABOUT_MENU, IDM_ABOUT);
        self.SetIcon(IDI_MAIN);
        EXPECT_NE(::SendMessageW(Hwnd(self.GetSafeHwnd()), WM_GETICON, ICON_SMALL, 0), 0);
        CComboBox combo;
        ASSERT_TRUE(combo.Attach(&self, IDC_PORT));
        int selChanges = 0;
        combo.OnSelChange([&] { ++selChanges; });
        EXPECT_EQ(combo.AddString("COM4", 4), 0);
        EXPECT_EQ(combo.AddString("USB Serial Device (COM5)", 5), 1);
        EXPECT_EQ(combo.FindItemData(5), 1);
        EXPECT_EQ(combo.FindItemData(6), -1);
        EXPECT_TRUE(combo.SetCurSel(1));
        EXPECT_FALSE(combo.SetCurSel(2));
        EXPECT_EQ(combo.GetItemData(combo.GetCurSel()), 5);
        EXPECT_EQ(selChanges, 0);
        self.SetDlgItemLabel(IDC_PORT_DETAILS, "made by \xE2\x80\x9C" "ACME\xE2\x80\x9D");
        wchar_t label[64] = {};
        ::GetWindowTextW(Hwnd(self.GetDlgItem(IDC_PORT_DETAILS)), label, 64);
        EXPECT_EQ(std::wstring(label), L"made by \u201CACME\u201D");
        self.ShowDlgItem(IDC_PORT_HINTS, false);
        EXPECT_FALSE(::GetWindowLongW(Hwnd(self.GetDlgItem(IDC_PORT_HINTS)), GWL_STYLE) & WS_VISIBLE);
        EXPECT_EQ(self.MessageBox(IDS_CONFIRM_PIN, IDS_PIN_CAPTION, MB_OKCANCEL), IDCANCEL);
        ::PostMessageW(Hwnd(self.GetSafeHwnd()), WM_SYSCOMMAND, IDM_ABOUT, 0);
        ::PostMessageW(Hwnd(self.GetDlgItem(IDOK)), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(clicks, (std::vector<std::string>{"OK clicked"}));
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"sys16"}));
    ASSERT_EQ(responder.boxes.size(), 1u);
    EXPECT_EQ(responder.boxes[0], CResourceLibrary::LoadString(IDS_PIN_CAPTION) + "|" +
                                      CResourceLibrary::LoadString(IDS_CONFIRM_PIN) + "|1");
}

void PumpMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

TEST_F(Win32FrameworkTest, ASecondHolderOfTheNameKnocksOnTheFirst)
{
    const std::string name = "apconfig-test-" + std::to_string(::GetCurrentProcessId());
    EXPECT_EQ(CSingleInstanceLock::NameFor(name), "Local\\" + name);
    CSingleInstanceLock first;
    int knocks = 0;
    first.OnKnock([&] { ++knocks; });
    ASSERT_TRUE(first.Create(name));
    EXPECT_FALSE(first.AlreadyExists());
    {
        CSingleInstanceLock second;
        EXPECT_FALSE(second.Create(name));
        EXPECT_TRUE(second.AlreadyExists());
    }
    PumpMessages();
    EXPECT_EQ(knocks, 1);
    // Another name is free; released, the name is free again.
    CSingleInstanceLock other;
    EXPECT_TRUE(other.Create(name + "-other"));
    first.Release();
    CSingleInstanceLock again;
    EXPECT_TRUE(again.Create(name));
    EXPECT_FALSE(again.AlreadyExists());
}

TEST_F(Win32FrameworkTest, ClipboardHoldsTheTextAsUnicode)
{
    ASSERT_TRUE(SetClipboardText("00:11:22:33:44:55\r\nCaf\xC3\xA9 \xE2\x82\xAC"));
    ASSERT_TRUE(::OpenClipboard(nullptr));
    HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(data, nullptr);
    const std::wstring text(static_cast<const wchar_t*>(::GlobalLock(data)));
    ::GlobalUnlock(data);
    ::CloseClipboard();
    EXPECT_EQ(text, L"00:11:22:33:44:55\r\nCaf\u00E9 \u20AC");
}

TEST_F(Win32FrameworkTest, BusyWindowShowsItsTextWhileItLives)
{
    HWND shown = nullptr;
    {
        CBusyWindow busy(IDD_IDENTIFYING, IDC_WAIT_TEXT, "Asking COM5 for the access point\xE2\x80\xA6");
        shown = Hwnd(busy.GetWindow());
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(::IsWindowVisible(shown));
        // Owned even with no main window: a passing window, not the program's.
        HWND owner = ::GetWindow(shown, GW_OWNER);
        ASSERT_NE(owner, nullptr);
        EXPECT_FALSE(::IsWindowVisible(owner));
        wchar_t text[128] = {};
        ::GetDlgItemTextW(shown, IDC_WAIT_TEXT, text, 128);
        EXPECT_EQ(std::wstring(text), L"Asking COM5 for the access point\u2026");
    }
    EXPECT_FALSE(::IsWindow(shown));
    CBusyWindow missing(124, IDC_WAIT_TEXT, "x");
    EXPECT_EQ(missing.GetWindow(), nullptr);
}

TEST_F(Win32FrameworkTest, DisabledControlsAndTheMainWindowsOwnership)
{
    CProbeDlg* pMain = nullptr;
    CProbeDlg about(IDD_ABOUT, [&](CProbeDlg& box) {
        // Owned by the main window, which waits disabled meanwhile.
        EXPECT_EQ(::GetWindow(Hwnd(box.GetSafeHwnd()), GW_OWNER), Hwnd(pMain->GetSafeHwnd()));
        box.EnableDlgItem(IDOK, false);
        EXPECT_FALSE(::IsWindowEnabled(Hwnd(box.GetDlgItem(IDOK))));
        CLater::Post(box, [&] {
            EXPECT_FALSE(::IsWindowEnabled(Hwnd(pMain->GetSafeHwnd())));
            box.EndDialog(IDOK);
        });
    });
    CProbeDlg main(IDD_MAIN, [&](CProbeDlg& self) {
        CDialog::SetMainWnd(&self);
        pMain = &self;
        CLater::Post(self, [&] {
            EXPECT_EQ(about.DoModal(), IDOK);
            EXPECT_TRUE(::IsWindowEnabled(Hwnd(self.GetSafeHwnd())));
            self.EndDialog(IDCANCEL);
        });
    });
    EXPECT_EQ(main.DoModal(), IDCANCEL);
    // Its window gone, it is no main window any more.
    EXPECT_EQ(CDialog::GetMainWnd(), nullptr);
}

}  // namespace
