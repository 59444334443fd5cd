#include <gtkmm/button.h>
#include <gtkmm/entry.h>

#include "app/pages/pin_page.h"
#include "app/resource_ids.h"
#include "tests/gui/gui_test.h"

// The PIN code page over the real port to the simulated access point.
namespace {

class PinPageTest : public GuiTest {
protected:
    void StartWithPin(const std::string& pin)
    {
        AccessPointState state;
        state.pin = pin;
        StartDevice(state);
    }
    // Types into the page's three edits, shows the page and presses its
    // change button; then checks runs with the page still up.
    void Change(const std::string& inForce, const std::string& newPin, const std::string& again,
                std::function<void(CDialog&)> check = nullptr)
    {
        RunMainWindow([=](CMainDlg& main) {
            SelectTab(main, 1);
            CDialog& page = *main.GetTabCtrl().GetItemData(1);
            page.GetDlgItem<Gtk::Entry>(IDC_PIN_IN_FORCE)->set_text(inForce);
            page.GetDlgItem<Gtk::Entry>(IDC_PIN_NEW)->set_text(newPin);
            page.GetDlgItem<Gtk::Entry>(IDC_PIN_AGAIN)->set_text(again);
            page.GetDlgItem<Gtk::Button>(IDC_CHANGE_PIN)->clicked();
            if (check)
                check(page);
        });
    }
    std::vector<std::string> PinRequests() const { return Payloads(ApCommand::PinUpdate); }
};

TEST_F(PinPageTest, AcceptedChangeSendsBothPinsAndKeepsTheEdits)
{
    StartWithPin("1234");
    Change("1234", "98765", "98765", [](CDialog& page) {
        EXPECT_EQ(page.GetDlgItemText(IDC_PIN_IN_FORCE, 16), "1234");
        EXPECT_EQ(page.GetDlgItemText(IDC_PIN_NEW, 16), "98765");
        EXPECT_EQ(page.GetDlgItemText(IDC_PIN_AGAIN, 16), "98765");
    });
    EXPECT_EQ(PinRequests(), std::vector<std::string>{"1234\n98765\n"});
    EXPECT_EQ(Device().State().pin, "98765");
    EXPECT_EQ(m_responder.TextIds(), (std::vector<int>{IDS_CONFIRM_PIN, IDS_UPDATE_DONE}));
    EXPECT_EQ(m_responder.Boxes()[0].style, MB_OKCANCEL);
    for (const auto& box : m_responder.Boxes())
        EXPECT_EQ(box.caption, S(IDS_PIN_CAPTION));
}

TEST_F(PinPageTest, ConfirmationComesFirstAndCancelSendsNothing)
{
    StartWithPin("1234");
    m_responder.Answer({IDCANCEL});
    Change("1234", "1111", "2222");  // differ, but Cancel comes before any comparison
    EXPECT_EQ(m_responder.TextIds(), std::vector<int>{IDS_CONFIRM_PIN});
    EXPECT_TRUE(PinRequests().empty());
}

TEST_F(PinPageTest, RepetitionOneCharacterLongerIsAMismatch)
{
    StartWithPin("1234");
    Change("1234", "5678", "56789");
    EXPECT_EQ(m_responder.TextIds(), (std::vector<int>{IDS_CONFIRM_PIN, IDS_PIN_MISMATCH}));
    EXPECT_TRUE(PinRequests().empty());
}

TEST_F(PinPageTest, ComparisonIsCaseSensitive)
{
    StartWithPin("1234");
    Change("1234", "abCD", "abcd");
    EXPECT_EQ(m_responder.TextIds().back(), IDS_PIN_MISMATCH);
    EXPECT_TRUE(PinRequests().empty());
}

TEST_F(PinPageTest, AllThreeEmptyAreSentAsEmptyLines)
{
    StartWithPin("");
    Change("", "", "");
    EXPECT_EQ(PinRequests(), std::vector<std::string>{"\n\n"});
    EXPECT_EQ(m_responder.TextIds().back(), IDS_UPDATE_DONE);
}

TEST_F(PinPageTest, EditsTakeSixteenBytesAndSendThemWhole)
{
    StartWithPin("0123456789abcdef");
    Change("0123456789abcdefXYZ", "fedcba9876543210++", "fedcba9876543210--", [](CDialog& page) {
        EXPECT_EQ(page.GetDlgItemText(IDC_PIN_IN_FORCE, 64), "0123456789abcdef");
    });
    EXPECT_EQ(PinRequests(), std::vector<std::string>{"0123456789abcdef\nfedcba9876543210\n"});
    EXPECT_EQ(Device().State().pin, "fedcba9876543210");
}

TEST_F(PinPageTest, AFieldHoldingAControlCharacterIsNamedAndNothingIsSent)
{
    // A line feed would end the PIN early and start a command of its own.
    // (An entry cannot hold a NUL.)
    StartWithPin("0000");
    for (const std::string control : {"\n", "\r", "\x1b", "\x7f"}) {
        m_responder.Clear();
        Change("0000" + control + "1111", "2222", "2222");
        Change("0000", "22" + control, "22" + control);
        EXPECT_EQ(m_responder.TextIds(), (std::vector<int>{IDS_CONFIRM_PIN, IDS_PIN_IN_FORCE_UNSENDABLE,
                                                           IDS_CONFIRM_PIN, IDS_PIN_NEW_UNSENDABLE}))
            << int(control[0]);
        EXPECT_EQ(m_responder.Boxes().back().caption, S(IDS_PIN_CAPTION));
    }
    EXPECT_TRUE(PinRequests().empty());
    EXPECT_EQ(Device().State().pin, "0000");
}

TEST_F(PinPageTest, RefusalOrSilenceIsAFailedUpdate)
{
    StartWithPin("1234");
    Change("9999", "1111", "1111");  // the device refuses a wrong PIN in force
    EXPECT_EQ(m_responder.TextIds().back(), IDS_UPDATE_FAILED);
    EXPECT_EQ(Device().State().pin, "1234");

    m_responder.Clear();
    FaultOn(ApCommand::PinUpdate, [](FaultPlan& silent) { silent.silent = true; });
    SpeedUpClock();
    Change("1234", "1111", "1111");
    EXPECT_EQ(m_responder.TextIds(), (std::vector<int>{IDS_CONFIRM_PIN, IDS_UPDATE_FAILED}));
}

}  // namespace
