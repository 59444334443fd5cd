#include <algorithm>

#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>

#include "app/pages/local_name_page.h"
#include "app/resource_ids.h"
#include "frontend/string_table.h"
#include "protocol/ansi_code_page.h"
#include "tests/gui/gui_test.h"

// The device name page and its entry dialog over the real port to the
// simulated access point.
namespace {

class LocalNamePageTest : public GuiTest {
protected:
    void TearDown() override
    {
        CAnsiCodePage::Select("");
        CStringTable::SelectLanguage("");
        GuiTest::TearDown();
    }
    void StartWithName(const std::string& name)
    {
        AccessPointState state;
        state.name = name;
        StartDevice(state);
    }
    void StartWithRawName(const std::string& raw)
    {
        StartDevice();
        FaultOn(ApCommand::NameRead, [&raw](FaultPlan& plan) { plan.rawName = raw; });
    }
    static CLocalNamePage& Page(CMainDlg& main)
    {
        return *static_cast<CLocalNamePage*>(main.GetTabCtrl().GetItemData(2));
    }
    static std::string Shown(CMainDlg& main)
    {
        return Page(main).GetDlgItem<Gtk::Entry>(IDC_NAME)->get_text();
    }
    // Shows the page, then runs check with it.
    void OpenPage(std::function<void(CMainDlg&)> check)
    {
        RunMainWindow([check](CMainDlg& main) {
            SelectTab(main, 2);
            check(main);
        });
    }
    // Presses the change button; the entry dialog gets each of `entries`
    // typed and OK pressed in turn, then Cancel unless the last was taken.
    void EnterNames(CMainDlg& main, std::vector<std::string> entries)
    {
        auto remaining = std::make_shared<std::vector<std::string>>(std::move(entries));
        auto step = std::make_shared<std::function<void(CDialog&)>>();
        // The step reaches itself weakly: a strong capture would keep it alive for ever.
        *step = [this, remaining, weakStep = std::weak_ptr(step)](CDialog& entry) {
            if (remaining->empty()) {
                Respond(entry, Gtk::RESPONSE_CANCEL);
                return;
            }
            m_typed.push_back(entry.GetDlgItem<Gtk::Entry>(IDC_NAME)->get_text());
            entry.GetDlgItem<Gtk::Entry>(IDC_NAME)->set_text(remaining->front());
            remaining->erase(remaining->begin());
            Respond(entry, Gtk::RESPONSE_OK);
            // Still showing after OK: the entry was refused.
            Later([this, step = weakStep.lock()] {
                if (CDialog* still = FindShown(IDD_NAME_EDIT)) {
                    m_refusedLeftEmpty.push_back(still->GetDlgItem<Gtk::Entry>(IDC_NAME)->get_text().empty());
                    (*step)(*still);
                }
            });
        };
        WhenShown(IDD_NAME_EDIT, [step](CDialog& entry) { (*step)(entry); });
        Page(main).GetDlgItem<Gtk::Button>(IDC_CHANGE_NAME)->clicked();
    }
    std::vector<std::string> NameUpdates() const { return Payloads(ApCommand::NameUpdate); }
    // The texts of the labels under widget, button labels too.
    static void LabelsUnder(Gtk::Widget& widget, std::vector<std::string>& texts)
    {
        if (auto* label = dynamic_cast<Gtk::Label*>(&widget); label && !label->get_text().empty())
            texts.push_back(label->get_text());
        if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
            for (Gtk::Widget* child : container->get_children())
                LabelsUnder(*child, texts);
    }
    // Kana or kanji, which no English text has.
    static bool HasJapanese(const Glib::ustring& text)
    {
        return std::any_of(text.begin(), text.end(),
                           [](gunichar c) { return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF); });
    }

    std::vector<std::string> m_typed;
    std::vector<bool> m_refusedLeftEmpty;
};

TEST_F(LocalNamePageTest, NameIsReadAtTheFirstShowingOnly)
{
    StartWithName("Kitchen AP");
    RunMainWindow([](CMainDlg& main) {
        EXPECT_FALSE(Page(main).IsNameRead()) << "not before its tab is chosen";
        SelectTab(main, 2);
        EXPECT_EQ(Shown(main), "Kitchen AP");
        SelectTab(main, 0);
        SelectTab(main, 2);
    });
    EXPECT_EQ(Commands(), (std::vector<ApCommand>{ApCommand::LinkRead, ApCommand::NameRead}));
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(LocalNamePageTest, EmptyNameFailsAndIsNotReadAgain)
{
    StartWithRawName("\n");
    RunMainWindow([](CMainDlg& main) {
        SelectTab(main, 2);
        SelectTab(main, 1);
        SelectTab(main, 2);
        EXPECT_EQ(Shown(main), "");
    });
    EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_NAME_READ_FAILED});
    EXPECT_EQ(m_responder.Boxes()[0].caption, S(IDS_NAME_CAPTION));
    EXPECT_EQ(Commands(), (std::vector<ApCommand>{ApCommand::LinkRead, ApCommand::NameRead}));
}

TEST_F(LocalNamePageTest, UndecodableNamesFailWithoutHanging)
{
    for (const std::string& raw : {std::string("\xF0\x9F\x98\x80\n"), std::string("\x80" "abc\n")}) {
        StartWithRawName(raw);
        m_responder.Clear();
        OpenPage([](CMainDlg& main) { EXPECT_EQ(Shown(main), ""); });
        EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_NAME_READ_FAILED});
        Device().Stop();
    }
}

TEST_F(LocalNamePageTest, LongNameIsCutAt247BytesAndZeroEndsIt)
{
    StartWithRawName(std::string(250, 'n') + "\n");
    OpenPage([](CMainDlg& main) { EXPECT_EQ(Shown(main), std::string(247, 'n')); });
    Device().Stop();

    StartWithRawName(std::string("Lab\0Hidden\n", 11));
    OpenPage([](CMainDlg& main) { EXPECT_EQ(Shown(main), "Lab"); });
    EXPECT_TRUE(m_responder.Boxes().empty());
}

TEST_F(LocalNamePageTest, AcceptedChangeShowsTheNameThatWasSent)
{
    StartWithName("Old name");
    OpenPage([this](CMainDlg& main) {
        EnterNames(main, {"Hall"});
        EXPECT_EQ(Shown(main), "Hall");
    });
    EXPECT_EQ(NameUpdates(), std::vector<std::string>{"Hall\n"});
    EXPECT_EQ(Device().State().name, "Hall");
    EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_UPDATE_DONE});
    EXPECT_EQ(m_responder.Boxes()[0].caption, S(IDS_NAME_CAPTION));
    EXPECT_EQ(m_typed, std::vector<std::string>{""}) << "the entry does not start with the current name";
    EXPECT_EQ(Commands().back(), ApCommand::NameUpdate) << "the name is not read again";
}

TEST_F(LocalNamePageTest, EmptyEntryIsRefusedWithABeepAndCancelSendsNothing)
{
    StartWithName("Old name");
    OpenPage([this](CMainDlg& main) {
        EnterNames(main, {""});
        EXPECT_EQ(Shown(main), "Old name");
    });
    EXPECT_EQ(m_refusedLeftEmpty, std::vector<bool>{true});
    EXPECT_EQ(m_responder.Beeps(), std::vector<UINT>{MB_ICONEXCLAMATION});
    EXPECT_TRUE(NameUpdates().empty());
    EXPECT_TRUE(m_responder.Boxes().empty()) << "Cancel shows nothing";
}

TEST_F(LocalNamePageTest, TwentySingleByteCharactersGoOutAsSixtyBytes)
{
    CAnsiCodePage::Select("CP1252");  // 0x80 is the euro sign, U+20AC
    StartWithName("Old name");
    const std::string euros = [] {
        std::string text;
        for (int i = 0; i < 22; ++i)
            text += "\xE2\x82\xAC";
        return text;
    }();
    OpenPage([&](CMainDlg& main) {
        EnterNames(main, {euros});  // typed 22, the edit takes 20
        EXPECT_EQ(Shown(main), euros.substr(0, 60));
    });
    ASSERT_EQ(NameUpdates().size(), 1u);
    EXPECT_EQ(NameUpdates()[0], euros.substr(0, 60) + "\n");
    EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_UPDATE_DONE});
}

TEST_F(LocalNamePageTest, DoubleByteEntryIsRefusedUnderADoubleByteCodePage)
{
    CAnsiCodePage::Select("CP932");
    StartWithName("Old name");
    OpenPage([this](CMainDlg& main) {
        EnterNames(main, {"AP \xE6\x97\xA5\xE6\x9C\xAC", "Kanji-free"});
        EXPECT_EQ(Shown(main), "Kanji-free");
    });
    EXPECT_EQ(m_refusedLeftEmpty, std::vector<bool>{true});
    EXPECT_EQ(m_responder.Beeps().size(), 1u);
    EXPECT_EQ(NameUpdates(), std::vector<std::string>{"Kanji-free\n"});
}

TEST_F(LocalNamePageTest, InJapaneseUnderCP932AKatakanaNameIsShownAndATypedOneSent)
{
    // Half-width katakana: one byte each in CP932, so the entry takes them.
    const std::string lobby = "\xEF\xBE\x9B\xEF\xBE\x8B\xEF\xBE\x9E\xEF\xBD\xB0";      // ﾛﾋﾞｰ
    const std::string front = "\xEF\xBE\x8C\xEF\xBE\x9B\xEF\xBE\x9D\xEF\xBE\x84 2";  // ﾌﾛﾝﾄ 2
    CAnsiCodePage::Select("CP932");
    CStringTable::SelectLanguage("ja");
    StartWithName(lobby);
    OpenPage([&](CMainDlg& main) {
        EXPECT_EQ(Shown(main), lobby);
        std::vector<std::string> labels;
        LabelsUnder(*Page(main).GetWindow(), labels);
        EXPECT_EQ(labels.size(), 3u) << "the introduction, the field's label and the button's";
        for (const std::string& label : labels)
            EXPECT_TRUE(HasJapanese(label)) << label;
        EnterNames(main, {front});
        EXPECT_EQ(Shown(main), front);
    });
    EXPECT_EQ(NameUpdates(), std::vector<std::string>{front + "\n"});
    EXPECT_EQ(Device().State().name, front);
    EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_UPDATE_DONE});
}

TEST_F(LocalNamePageTest, ControlCharactersAreRefusedLikeANameThatCannotBeSent)
{
    // A pasted line feed would end the name early and the rest would be a
    // command of its own. (An entry cannot hold a NUL.)
    const std::vector<std::string> controls = {"\n", "\r", "\x1b", "\x7f"};
    std::vector<std::string> entries;
    for (const std::string& control : controls)
        entries.push_back("ab" + control + "LINKDEL");
    entries.push_back("Plain");
    StartWithName("Old name");
    OpenPage([&](CMainDlg& main) {
        EnterNames(main, entries);
        EXPECT_EQ(Shown(main), "Plain");
    });
    EXPECT_EQ(m_refusedLeftEmpty, std::vector<bool>(controls.size(), true));
    EXPECT_EQ(m_responder.Beeps(), std::vector<UINT>(controls.size(), MB_ICONEXCLAMATION));
    EXPECT_EQ(NameUpdates(), std::vector<std::string>{"Plain\n"});
    EXPECT_EQ(Device().State().name, "Plain");
}

TEST_F(LocalNamePageTest, RefusedOrUnansweredChangeLeavesTheName)
{
    StartWithName("Old name");
    FaultOn(ApCommand::NameUpdate, [](FaultPlan& refuse) { refuse.wrongAck = true; });
    OpenPage([this](CMainDlg& main) {
        EnterNames(main, {"New"});
        EXPECT_EQ(Shown(main), "Old name");
    });
    EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_UPDATE_FAILED});
}

}  // namespace
