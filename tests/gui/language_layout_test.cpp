// Every window in every language, and in the pseudo-language whose texts are
// all 40 % longer: no text cut, wider than its control or ellipsized, and no
// window larger than the screen. The texts put in at run time are measured
// too, in their longest forms.
#include <gmock/gmock.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>

#include <algorithm>
#include <filesystem>

#include "app/about_dlg.h"
#include "app/framework/busy_window.h"
#include "app/framework/resource_library.h"
#include "app/port_select_dlg.h"
#include "app/resource_ids.h"
#include "frontend/compose.h"
#include "frontend/port_string_ids.h"
#include "tests/gui/gui_test.h"
#include "tests/gui/layout_fit.h"

namespace {
constexpr const char* kPseudo = "pseudo";

// Each translation in po/, then the pseudo-language.
std::vector<std::string> Languages()
{
    std::vector<std::string> languages;
    for (const auto& po : std::filesystem::directory_iterator(APCONFIG_PO_DIR))
        if (po.path().extension() == ".po")
            languages.push_back(po.path().stem().string());
    std::sort(languages.begin(), languages.end());
    languages.push_back(kPseudo);
    return languages;
}

class LanguageLayoutTest : public GuiTest, public testing::WithParamInterface<std::string> {
protected:
    void SetUp() override
    {
        if (GetParam() == kPseudo)
            CResourceLibrary::SetFileName("liblidany_pseudo.so");
        else
            CStringTable::SelectLanguage(GetParam());
        GuiTest::SetUp();
        // Measured in the language asked for, not English by a fallback.
        ASSERT_EQ(CStringTable::Language(), GetParam() == kPseudo ? "" : GetParam());
    }
    void TearDown() override
    {
        GuiTest::TearDown();
        CStringTable::SelectLanguage("");
        CResourceLibrary::SetFileName(CResourceLibrary::kFileName);
    }

    // The window's misfits, once what is pending is laid out and the X
    // server has answered the resizes asked for.
    static void ExpectFits(Gtk::Window& window, const std::string& what)
    {
        for (int round = 0; round < 5; ++round) {
            PumpEvents();
            gdk_display_sync(gdk_display_get_default());
            g_usleep(20000);
        }
        PumpEvents();
        EXPECT_THAT(CLayoutFit::Misfits(window), testing::IsEmpty()) << what << " in " << GetParam();
    }
    // Each text in turn in the dialog's label `id`.
    static void ExpectEachFits(CDialog& dialog, int id, const std::vector<std::string>& texts)
    {
        for (const std::string& text : texts) {
            dialog.GetDlgItem<Gtk::Label>(id)->set_text(text);
            ExpectFits(*dialog.GetToplevel(), text);
        }
    }
};

TEST_P(LanguageLayoutTest, PortDialogWithItsLongestHints)
{
    CPortSelectDlg dialog;
    WhenShown(IDD_PORT_SELECT, [&](CDialog& shown) {
        ExpectFits(*shown.GetToplevel(), "the port dialog, no port found");
        // Several causes at once, one a line, as the dialog joins them.
        const std::string port = Compose(S(IDS_PORT_SHORT), {"21", "/dev/ttyUSB0"});
        ExpectEachFits(shown, IDC_PORT_HINTS,
                       {Compose(S(IDS_HINT_OUT_OF_RANGE_LINK), {port, "/dev/com21"}) + "\n" +
                        Compose(S(IDS_HINT_JOIN_GROUP), {port, "dialout"}) + "\n" +
                        Compose(S(IDS_HINT_SECURITY_POLICY), {port}) + "\n" +
                        Compose(S(IDS_HINT_LEFT_OUT), {"3"})});
        Respond(shown, Gtk::RESPONSE_CANCEL);
    });
    dialog.DoModal();
}

TEST_P(LanguageLayoutTest, AboutBox)
{
    CAboutDlg about;
    WhenShown(IDD_ABOUT, [](CDialog& shown) {
        ExpectFits(*shown.GetToplevel(), "the about box");
        Respond(shown, Gtk::RESPONSE_OK);
    });
    about.DoModal();
}

TEST_P(LanguageLayoutTest, MainWindowEachPageAndTheNameDialog)
{
    AccessPointState state;
    state.devices = GenerateDevices(3);
    StartDevice(state);
    RunMainWindow([this](CMainDlg& main) {
        for (int tab = 0; tab < 3; ++tab) {
            SelectTab(main, tab);
            ExpectFits(*main.GetToplevel(), "page " + std::to_string(tab + 1));
        }
        SelectTab(main, 0);
        CDialog& links = *main.GetTabCtrl().GetItemData(0);
        ExpectEachFits(links, IDC_LINK_COUNT,
                       {S(IDS_LINK_COUNT_NONE), S(IDS_LINK_COUNT_ONE), Compose(S(IDS_LINK_COUNT_MANY), 65535),
                        S(IDS_READING_LINKS)});
        SelectTab(main, 2);
        bool shown = false;
        WhenShown(IDD_NAME_EDIT, [&shown](CDialog& entry) {
            shown = true;
            ExpectFits(*entry.GetToplevel(), "the name dialog");
            Respond(entry, Gtk::RESPONSE_CANCEL);
        });
        main.GetTabCtrl().GetItemData(2)->GetDlgItem<Gtk::Button>(IDC_CHANGE_NAME)->clicked();
        EXPECT_TRUE(shown);
    });
}

TEST_P(LanguageLayoutTest, BusyWindowAskingTheHighestPort)
{
    CBusyWindow waiting(IDD_IDENTIFYING, IDC_WAIT_TEXT, Compose(S(IDS_IDENTIFYING), 20));
    ASSERT_NE(waiting.GetWindow(), nullptr);
    ExpectFits(*waiting.GetWindow(), "the busy window");
}

INSTANTIATE_TEST_SUITE_P(EveryLanguage, LanguageLayoutTest, testing::ValuesIn(Languages()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });
}  // namespace
