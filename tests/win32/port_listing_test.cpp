// apctl list-ports on Windows over a port list of the test's own (a key of
// the current user's in place of SERIALCOMM): COM4 to COM20 are offered by
// the dialog, every other number carries Device Manager's way to change it,
// in the table's text and in the JSON.
#include <gmock/gmock.h>

#include <memory>

#include "cli/port_listing.h"
#include "frontend/compose.h"
#include "frontend/port_hints.h"
#include "frontend/port_string_ids.h"
#include "frontend/string_table.h"
#include "serial/win32/com_port_list.h"
#include "test_serial_comm_key.h"

namespace {

using testing::HasSubstr;

class Win32PortListingTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CStringTable::Load()); }
    void SetUp() override
    {
        m_key = std::make_unique<CTestSerialCommKey>();
        ASSERT_TRUE(m_key->IsOpen());
    }
    void TearDown() override { m_key.reset(); }
    void Port(int number) { ASSERT_TRUE(m_key->AddPort(number)); }
    static std::string Hint(const std::string& name)
    {
        return Compose(CStringTable::LoadString(IDS_HINT_OUT_OF_RANGE_WINDOWS), {name});
    }

    std::unique_ptr<CTestSerialCommKey> m_key;
};

TEST_F(Win32PortListingTest, NumbersOutsideFourToTwentyCarryTheDeviceManagerFix)
{
    // COM256 is no name SERIALCOMM holds here (see ParseComPortName); the
    // dialog's own case gives it from a list of the test's own.
    const std::pair<int, bool> cases[] = {{1, false}, {3, false}, {4, true}, {20, true}, {21, false}};
    for (const auto& [number, offered] : cases)
        Port(number);
    const auto rows = CPortListing::Rows();
    ASSERT_EQ(rows.size(), std::size(cases));
    std::string hints;
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& [number, offered] = cases[i];
        EXPECT_EQ(rows[i].number, number);
        EXPECT_EQ(rows[i].hint, offered ? "" : Hint("COM" + std::to_string(number))) << number;
        if (!offered)
            hints += rows[i].hint + "\n";
    }
    EXPECT_THAT(rows[1].hint, HasSubstr("COM3 is outside COM4 to COM20: in Device Manager, open the port's "
                                        "Properties \xE2\x86\x92 Port Settings \xE2\x86\x92 Advanced"));
    const std::string text = CPortListing::Text(rows);
    EXPECT_THAT(text, HasSubstr("COM4  \\\\.\\COM4"));
    EXPECT_THAT(text, testing::EndsWith("\n\n" + hints));
    const std::string json = CPortListing::Json(rows);
    EXPECT_THAT(json, HasSubstr("\"offered\" : true"));
    EXPECT_THAT(json, HasSubstr("\"offered\" : false"));
    EXPECT_THAT(json, HasSubstr("\"hint\" : null"));
}

TEST(Win32PortRangeHint, TheFriendlyNameLosesOnlyItsOwnComSuffix)
{
    ASSERT_TRUE(CStringTable::Load());
    const std::pair<ComPortEntry, std::string> cases[] = {
        {{3, "COM3", "USB Serial Port (COM3)", ""}, "COM3 (USB Serial Port)"},
        {{21, "COM21", "", ""}, "COM21"},
        {{1, "COM1", "Port (COM11)", ""}, "COM1 (Port (COM11))"},
        {{256, "COM256", "Modem (COM25) x", ""}, "COM256 (Modem (COM25) x)"},
    };
    for (const auto& [port, named] : cases)
        EXPECT_EQ(CPortHints::OutOfRangeLine(ToPortRecord(port)),
                  Compose(CStringTable::LoadString(IDS_HINT_OUT_OF_RANGE_WINDOWS), {named}))
            << port.friendlyName;
    for (int number : {1, 3, 21, 256})
        EXPECT_FALSE(CPortHints::Offered(number)) << number;
    for (int number : {4, 5, 19, 20})
        EXPECT_TRUE(CPortHints::Offered(number)) << number;
}

}  // namespace
