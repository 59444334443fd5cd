#include <gtkmm/window.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/framework/resource_library.h"
#include "app/main_dlg.h"
#include "app/resource_ids.h"
#include "app/utility_app.h"
#include "tests/gui/gui_test.h"

// Start-up and the main window against a resource library with one template
// broken (built in tests/gui/CMakeLists.txt): each failure ends cleanly, frees
// every dialog it made exactly once, leaves no window behind, and the closing
// exchange still follows.
namespace {

size_t ToplevelCount()
{
    return Gtk::Window::list_toplevels().size();
}

class BrokenLibraryTest : public GuiTest, public testing::WithParamInterface<std::string> {
protected:
    void SetUp() override
    {
        CResourceLibrary::SetFileName("liblidany-" + GetParam() + ".so");
        GuiTest::SetUp();
        StartDevice();
    }
    void TearDown() override
    {
        GuiTest::TearDown();
        CResourceLibrary::SetFileName(CResourceLibrary::kFileName);
    }
    // Records the main window should it ever show, and ends it.
    void WatchForMainWindow()
    {
        WhenShown(IDD_MAIN, [this](CDialog& main) {
            m_bMainShown = true;
            main.EndDialog(IDCANCEL);
        });
    }
    // Runs the whole start-up, choosing the device's port.
    void RunStartup()
    {
        WhenShown(IDD_PORT_SELECT, [](CDialog& dialog) { Respond(dialog, Gtk::RESPONSE_OK); });
        WatchForMainWindow();
        CUtilityApp app;
        EXPECT_EQ(app.InitInstance(), FALSE);
        app.ExitInstance();
    }

    bool m_bMainShown = false;
};

std::string ParamName(const testing::TestParamInfo<std::string>& info)
{
    std::string name = "Library_" + info.param;
    for (char& c : name)
        if (c == '-')
            c = '_';
    return name;
}

// A page template whose root is a toplevel window or a widget that holds
// nothing: that page fails to create and is deleted once, by the window.
using BrokenPageTest = BrokenLibraryTest;

TEST_P(BrokenPageTest, PageThatCannotBeCreatedEndsTheWindowWithZeroAndFreesEveryPageOnce)
{
    WatchForMainWindow();
    const size_t toplevels = ToplevelCount();
    int result = -1;
    {
        CMainDlg main(&OpenPort());
        const int before = CDialog::LiveCount();
        result = main.DoModal();
        EXPECT_EQ(CDialog::LiveCount(), before) << "the pages made, the failed one too, are gone";
    }
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(m_bMainShown);
    EXPECT_EQ(ToplevelCount(), toplevels) << "a window the broken template built is left over";
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_P(BrokenPageTest, StartupStillSendsTheClosingCommandAndEndsSilently)
{
    const int before = CDialog::LiveCount();
    RunStartup();
    EXPECT_FALSE(m_bMainShown);
    EXPECT_TRUE(m_responder.Boxes().empty());
    EXPECT_EQ(Commands(), (std::vector<ApCommand>{ApCommand::Identify, ApCommand::Exit}))
        << "no page was shown, so nothing was listed";
    EXPECT_EQ(CDialog::LiveCount(), before);
    EXPECT_EQ(CDialog::GetMainWnd(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(RootIsAWindowOrHoldsNothing, BrokenPageTest,
                         testing::Values("122-window", "122-label", "123-window", "123-label", "125-window",
                                         "125-label"),
                         ParamName);

// The main window's template missing, or with a root that is no dialog.
using BrokenMainTemplateTest = BrokenLibraryTest;

TEST_P(BrokenMainTemplateTest, FailedMainWindowClearsTheMainWindowPointer)
{
    const size_t toplevels = ToplevelCount();
    CMainDlg main(&OpenPort());
    CDialog::SetMainWnd(&main);
    EXPECT_EQ(main.DoModal(), -1);
    EXPECT_EQ(CDialog::GetMainWnd(), nullptr);
    EXPECT_EQ(ToplevelCount(), toplevels) << "a window the broken template built is left over";
}

TEST_P(BrokenMainTemplateTest, StartupStillSendsTheClosingCommandAndLeavesNoMainWindowPointer)
{
    const int before = CDialog::LiveCount();
    RunStartup();
    EXPECT_FALSE(m_bMainShown);
    EXPECT_TRUE(m_responder.Boxes().empty());
    EXPECT_EQ(Commands(), (std::vector<ApCommand>{ApCommand::Identify, ApCommand::Exit}));
    EXPECT_EQ(CDialog::LiveCount(), before);
    EXPECT_EQ(CDialog::GetMainWnd(), nullptr) << "it would point at a main window object that is gone";
}

INSTANTIATE_TEST_SUITE_P(MissingOrNoDialog, BrokenMainTemplateTest, testing::Values("no121", "121-label"),
                         ParamName);

// With the library intact.
class MainWindowLifetimeTest : public GuiTest {};

TEST_F(MainWindowLifetimeTest, MainWindowPointerDoesNotOutliveItsObject)
{
    {
        CMainDlg main(nullptr);
        CDialog::SetMainWnd(&main);
    }
    EXPECT_EQ(CDialog::GetMainWnd(), nullptr);
}

TEST_F(MainWindowLifetimeTest, MainWindowObjectOutlivesTheClosingExchange)
{
    StartDevice();
    // The hook runs while start-up waits for the closing command's answer.
    std::atomic<int> dialogsAtExit{-1};
    Device().SetExchangeHook([&dialogsAtExit](const ExchangeRecord& record, const AccessPointState&) {
        if (record.command == ApCommand::Exit)
            dialogsAtExit = CDialog::LiveCount();
    });
    WhenShown(IDD_PORT_SELECT, [](CDialog& dialog) { Respond(dialog, Gtk::RESPONSE_OK); });
    WhenShown(IDD_MAIN, [](CDialog& main) { main.EndDialog(IDCANCEL); });
    const int before = CDialog::LiveCount();
    CUtilityApp app;
    EXPECT_EQ(app.InitInstance(), FALSE);
    app.ExitInstance();
    EXPECT_EQ(dialogsAtExit, before + 2) << "the port dialog and the main window object live until after it";
    EXPECT_EQ(CDialog::LiveCount(), before);
    EXPECT_EQ(Commands().back(), ApCommand::Exit);
}

}  // namespace
