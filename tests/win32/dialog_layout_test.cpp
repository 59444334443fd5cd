// Every text of the resource library fits its control in every language the
// library holds: the templates' own texts, and the texts the program puts
// into controls as it runs, each measured in the control's font. One
// process covers all languages: each block's templates and strings are
// taken by their language, not by the user's.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/resource_ids.h"
#include "control_text_fit.h"
#include "frontend/compose.h"
#include "language_block_strings.h"
#include "serial/wide_text.h"

namespace {

BOOL CALLBACK AddNumber(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR list)
{
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<int>*>(list)->push_back(int(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR list)
{
    reinterpret_cast<std::vector<LANGID>*>(list)->push_back(language);
    return TRUE;
}

BOOL CALLBACK AddChild(HWND child, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

std::wstring TextOf(HWND window)
{
    std::wstring text(size_t(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(size_t(::GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

class DialogLayoutTest : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        m_module = ::LoadLibraryA(GetParam());
        ASSERT_NE(m_module, nullptr) << GetParam() << " beside the test";
        // The pages are child windows: they need a window to sit in.
        m_parent = ::CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
        ::EnumResourceNamesW(m_module, MAKEINTRESOURCEW(5), AddNumber, LONG_PTR(&m_dialogs));
        ASSERT_FALSE(m_dialogs.empty());
    }
    void TearDown() override
    {
        for (HWND window : m_windows)
            ::DestroyWindow(window);
        ::DestroyWindow(m_parent);
        if (m_module)
            ::FreeLibrary(m_module);
    }

    std::vector<LANGID> Languages(int dialog) const
    {
        std::vector<LANGID> languages;
        ::EnumResourceLanguagesW(m_module, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(dialog), AddLanguage,
                                 LONG_PTR(&languages));
        return languages;
    }

    // The dialog from that language's template, as the program makes it.
    HWND Create(int dialog, LANGID language)
    {
        HRSRC found = ::FindResourceExW(m_module, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(dialog), language);
        if (!found)
            return nullptr;
        auto tmpl = static_cast<LPCDLGTEMPLATEW>(::LockResource(::LoadResource(m_module, found)));
        // The extended template's style follows its version, signature and help id.
        const DWORD style = reinterpret_cast<const DWORD*>(tmpl)[3];
        HWND window = ::CreateDialogIndirectParamW(m_module, tmpl, (style & WS_CHILD) ? m_parent : nullptr, Quiet, 0);
        if (window)
            m_windows.push_back(window);
        return window;
    }

    // Notes where text does not fit control, of the dialog in that language.
    void Check(int dialog, LANGID language, HWND control, const std::wstring& text)
    {
        const std::string misfit = CControlTextFit::Misfit(control, text);
        if (!misfit.empty())
            m_misfits.push_back(Where(dialog, language, ::GetDlgCtrlID(control)) + " \"" + Utf16ToUtf8(text) +
                                "\": " + misfit);
    }

    std::string Where(int dialog, LANGID language, int control) const
    {
        char where[96];
        std::snprintf(where, sizeof where, "%s dialog %d language %04X control %d", GetParam(), dialog,
                      unsigned(language), control);
        return where;
    }

    HMODULE m_module = nullptr;
    HWND m_parent = nullptr;
    std::vector<int> m_dialogs;
    std::vector<HWND> m_windows;
    std::vector<std::string> m_misfits;
};

TEST_P(DialogLayoutTest, EveryTemplateTextFitsItsControlInEveryLanguage)
{
    size_t measured = 0;
    for (int dialog : m_dialogs) {
        for (LANGID language : Languages(dialog)) {
            HWND window = Create(dialog, language);
            ASSERT_NE(window, nullptr) << Where(dialog, language, 0);
            std::vector<HWND> children;
            ::EnumChildWindows(window, AddChild, LPARAM(&children));
            for (HWND child : children) {
                const std::wstring text = TextOf(child);
                if (text.empty() || !CControlTextFit::Measured(child))
                    continue;
                Check(dialog, language, child, text);
                ++measured;
            }
        }
    }
    EXPECT_GT(measured, m_dialogs.size());
    EXPECT_THAT(m_misfits, testing::IsEmpty());
}

TEST_P(DialogLayoutTest, TextsPutInAtRunTimeFitInEveryLanguage)
{
    for (LANGID language : Languages(IDD_MAIN)) {
        const CLanguageBlockStrings strings(m_module, language);
        auto wide = [](const std::string& text) { return Utf8ToUtf16(text); };
        ASSERT_FALSE(strings.Text(IDS_TAB_LINKS).empty()) << Where(IDD_MAIN, language, 0);

        HWND page = Create(IDD_LINK_PAGE, language);
        ASSERT_NE(page, nullptr);
        HWND count = ::GetDlgItem(page, IDC_LINK_COUNT);
        for (const std::string& text : {strings.Text(IDS_LINK_COUNT_NONE), strings.Text(IDS_LINK_COUNT_ONE),
                                        Compose(strings.Text(IDS_LINK_COUNT_MANY), 250),
                                        strings.Text(IDS_READING_LINKS)})
            Check(IDD_LINK_PAGE, language, count, wide(text));

        HWND busy = ::GetDlgItem(Create(IDD_IDENTIFYING, language), IDC_WAIT_TEXT);
        Check(IDD_IDENTIFYING, language, busy, wide(strings.Text(IDS_READING_LINKS)));
        Check(IDD_IDENTIFYING, language, busy, wide(Compose(strings.Text(IDS_IDENTIFYING), 20)));

        // Two ports the dialog cannot offer: one in use, one numbered too high.
        HWND hints = ::GetDlgItem(Create(IDD_PORT_SELECT, language), IDC_PORT_HINTS);
        Check(IDD_PORT_SELECT, language, hints,
              wide(Compose(strings.Text(IDS_HINT_IN_USE), {"COM3"}) + "\n" +
                   Compose(strings.Text(IDS_HINT_OUT_OF_RANGE_WINDOWS), {"COM21"})));

        // The tabs stay in one row, with no scroll arrows.
        HWND tab = ::GetDlgItem(Create(IDD_MAIN, language), IDC_TAB);
        int i = 0;
        for (int id : {IDS_TAB_LINKS, IDS_TAB_PIN, IDS_TAB_NAME}) {
            std::wstring label = wide(strings.Text(id));
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = label.data();
            ::SendMessageW(tab, TCM_INSERTITEMW, i++, LPARAM(&item));
        }
        RECT last{}, client{};
        ::SendMessageW(tab, TCM_GETITEMRECT, i - 1, LPARAM(&last));
        ::GetClientRect(tab, &client);
        EXPECT_LE(last.right, client.right) << Where(IDD_MAIN, language, IDC_TAB) << " tab labels";

        // The first column takes two fifths of the list, the second the rest.
        HWND list = ::GetDlgItem(page, IDC_LINK_LIST);
        ::GetClientRect(list, &client);
        HDC dc = ::GetDC(list);
        HGDIOBJ old = ::SelectObject(dc, HGDIOBJ(::SendMessageW(list, WM_GETFONT, 0, 0)));
        for (int id : {IDS_LINK_COLUMN_ADDRESS, IDS_LINK_COLUMN_MANUFACTURER}) {
            const std::wstring heading = wide(strings.Text(id));
            SIZE size{};
            ::GetTextExtentPoint32W(dc, heading.c_str(), int(heading.size()), &size);
            // A heading keeps an edge's width and a character's on either side.
            EXPECT_LE(size.cx + 2 * (::GetSystemMetrics(SM_CXEDGE) + 6), client.right * 2 / 5)
                << Where(IDD_LINK_PAGE, language, IDC_LINK_LIST) << " \"" << strings.Text(id) << "\"";
        }
        ::SelectObject(dc, old);
        ::ReleaseDC(list, dc);
    }
    EXPECT_THAT(m_misfits, testing::IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Libraries, DialogLayoutTest, testing::Values("lidany.dll", "lidany_pseudo.dll"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param).substr(0, std::string(info.param).find('.'));
                         });

}  // namespace
