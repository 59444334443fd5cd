#include <gtkmm/notebook.h>

#include "app/main_dlg.h"
#include "app/pages/link_page.h"
#include "app/pages/local_name_page.h"
#include "app/pages/pin_page.h"
#include "app/framework/resource_library.h"
#include "app/resource_ids.h"
#include "app/utility_app.h"
#include "tests/gui/gui_test.h"

// The tabbed window: its pages, tab switching, page lifetimes.
namespace {

class MainWindowTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        StartDevice();
    }
    void Run(std::function<void(CMainDlg&)> script) { m_nResult = RunMainWindow(std::move(script)); }
    std::vector<bool> Visible(CMainDlg& main)
    {
        std::vector<bool> visible;
        for (int i = 0; i < main.GetTabCtrl().GetItemCount(); ++i)
            visible.push_back(main.GetTabCtrl().GetItemData(i)->IsWindowVisible());
        return visible;
    }

    int m_nResult = -1;
};

TEST_F(MainWindowTest, ThreePagesInTabOrderWithOnlyTheFirstShown)
{
    Run([this](CMainDlg& main) {
        CTabCtrl& tab = main.GetTabCtrl();
        ASSERT_EQ(tab.GetItemCount(), 3);
        EXPECT_NE(dynamic_cast<CLinkPage*>(tab.GetItemData(0)), nullptr);
        EXPECT_NE(dynamic_cast<CPinPage*>(tab.GetItemData(1)), nullptr);
        EXPECT_NE(dynamic_cast<CLocalNamePage*>(tab.GetItemData(2)), nullptr);
        auto* notebook = main.GetDlgItem<Gtk::Notebook>(IDC_TAB);
        EXPECT_EQ(notebook->get_tab_label_text(*notebook->get_nth_page(0)), S(IDS_TAB_LINKS));
        EXPECT_EQ(notebook->get_tab_label_text(*notebook->get_nth_page(1)), S(IDS_TAB_PIN));
        EXPECT_EQ(notebook->get_tab_label_text(*notebook->get_nth_page(2)), S(IDS_TAB_NAME));
        EXPECT_EQ(tab.GetCurSel(), 0);
        EXPECT_EQ(Visible(main), (std::vector<bool>{true, false, false}));
        EXPECT_TRUE(static_cast<CLinkPage*>(tab.GetItemData(0))->IsListed()) << "the first showing lists";
        EXPECT_TRUE(main.GetToplevel()->get_icon()) << "icon 100 on the window";
    });
    EXPECT_EQ(m_nResult, IDOK);
}

TEST_F(MainWindowTest, SwitchingHidesTheOldPageBeforeShowingTheNew)
{
    std::vector<std::string> events;
    std::vector<std::string> switching;
    Run([&events, &switching](CMainDlg& main) {
        CTabCtrl& tab = main.GetTabCtrl();
        for (int i = 0; i < 3; ++i) {
            Gtk::Widget* page = tab.GetItemData(i)->GetWindow();
            page->signal_show().connect([&events, i] { events.push_back("show " + std::to_string(i)); });
            page->signal_hide().connect([&events, i] { events.push_back("hide " + std::to_string(i)); });
        }
        SelectTab(main, 2);
        SelectTab(main, 1);
        EXPECT_EQ(tab.GetCurSel(), 1);
        // Closing hides the pages as well; only the switching counts here.
        switching = events;
    });
    EXPECT_EQ(switching, (std::vector<std::string>{"hide 0", "show 2", "hide 2", "show 1"}));
}

TEST_F(MainWindowTest, EnterAndEscapeInsideAPageDoNothing)
{
    Run([](CMainDlg& main) {
        Gtk::Window& window = *main.GetToplevel();
        main.GetTabCtrl().GetItemData(0)->GetDlgItem(IDC_LINK_LIST)->grab_focus();
        SendKey(window, GDK_KEY_Escape);
        SendKey(window, GDK_KEY_Return);
        SelectTab(main, 1);
        main.GetTabCtrl().GetItemData(1)->GetDlgItem(IDC_PIN_NEW)->grab_focus();
        SendKey(window, GDK_KEY_Return);
        SendKey(window, GDK_KEY_Escape);
        PumpEvents();
        EXPECT_TRUE(window.get_visible());
        EXPECT_TRUE(main.GetTabCtrl().GetItemData(1)->IsWindowVisible());
    });
    EXPECT_EQ(m_nResult, IDOK) << "only the script's own close ended the window";
}

TEST_F(MainWindowTest, EveryPageIsFreedWhenTheWindowCloses)
{
    const int before = CDialog::LiveCount();
    {
        Run([before](CMainDlg&) { EXPECT_EQ(CDialog::LiveCount(), before + 4); });
    }
    EXPECT_EQ(CDialog::LiveCount(), before);
}

}  // namespace

namespace {

// A resource library whose device name page template is missing.
class MissingPageTest : public GuiTest {
protected:
    void SetUp() override
    {
        CResourceLibrary::SetFileName("liblidany-no125.so");
        GuiTest::SetUp();
    }
    void TearDown() override
    {
        GuiTest::TearDown();
        CResourceLibrary::SetFileName(CResourceLibrary::kFileName);
    }
};

TEST_F(MissingPageTest, WindowEndsBeforeItShowsAndTheConversationStillCloses)
{
    StartDevice();
    bool mainShown = false;
    WhenShown(IDD_PORT_SELECT, [](CDialog& dialog) { Respond(dialog, Gtk::RESPONSE_OK); });
    WhenShown(IDD_MAIN, [&mainShown](CDialog& main) {
        mainShown = true;
        main.EndDialog(IDCANCEL);
    });
    const int before = CDialog::LiveCount();
    CUtilityApp app;
    EXPECT_EQ(app.InitInstance(), FALSE);
    EXPECT_FALSE(mainShown);
    EXPECT_TRUE(m_responder.Boxes().empty());
    EXPECT_EQ(Commands(), (std::vector<ApCommand>{ApCommand::Identify, ApCommand::Exit}))
        << "no page was shown, so nothing was listed";
    EXPECT_EQ(CDialog::LiveCount(), before) << "the pages made before the failure are gone too";
}

TEST_F(MissingPageTest, MainDlgEndsWithResultZero)
{
    StartDevice();
    CMainDlg main(&OpenPort());
    EXPECT_EQ(main.DoModal(), 0);
}

}  // namespace
