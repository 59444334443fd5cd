// apctl's side of the COM numbers: the number the port dialog gave a device
// names that device in apctl too (a program of its own, started afresh),
// list-ports shows the table, and a number whose device is gone says so.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>

#include "cli/port_choice.h"
#include "cli/port_listing.h"
#include "frontend/port_string_ids.h"
#include "frontend/string_table.h"
#include "serial/posix/com_port_resolver.h"
#include "tests/support/resolver_on_tree.h"

namespace {

using testing::HasSubstr;
using testing::Not;

const CFakeSysfs::UsbDevice kCh340{"1a86", "7523", "USB Serial", "", ""};

class PortListingTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CStringTable::Load()); }
    // A fresh run of apctl: nothing of this process's numbering is left.
    static void StartApctl() { CComPortResolver::SetSysfsRoot(CComPortResolver::SysfsRoot()); }

    CFakeSysfs m_tree;
    CResolverOnTree m_resolver{m_tree};
};

TEST_F(PortListingTest, TheDialogsNumbersNameTheSameDevicesInApctl)
{
    // The dialog is open while X, then Y, are plugged in; both have no
    // serial number, and the later one is ttyUSB0.
    m_tree.AddUsb("ttyUSB1", "1-3", kCh340);
    ASSERT_EQ(CComPortResolver::ListPorts().ports.size(), 1u);
    m_tree.AddUsb("ttyUSB0", "1-2", kCh340);
    const NumberedPorts dialog = CComPortResolver::ListPorts();
    ASSERT_EQ(dialog.ports.size(), 2u);
    EXPECT_EQ(dialog.ports[0].info.kernelName, "ttyUSB1") << "COM4, first seen";

    StartApctl();
    PortChoice com5 = CPortChooser::Choose("COM5");
    EXPECT_EQ(com5.number, 5) << com5.error;
    EXPECT_EQ(com5.name, "COM5 (" + m_tree.Dev() + "/ttyUSB0)");

    const auto rows = CPortListing::Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].key, "at:pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0");
    EXPECT_TRUE(rows[0].present && rows[1].present);

    // Y pulled out: COM5 is still Y's, and apctl says it is gone.
    m_tree.Unplug("ttyUSB0");
    StartApctl();
    com5 = CPortChooser::Choose("COM5");
    EXPECT_EQ(com5.number, 0);
    EXPECT_EQ(com5.exitCode, CPortChooser::kExitPort);
    EXPECT_EQ(com5.error, "COM5 is USB Serial (at:pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0), which is not plugged in");
    const std::string text = CPortListing::Text(CPortListing::Rows());
    EXPECT_THAT(text, HasSubstr("COM4  " + m_tree.Dev() + "/ttyUSB1  USB Serial  at:"));
    EXPECT_THAT(text, HasSubstr("1-2:1.0  (not plugged in)\n"));
    const std::string json = CPortListing::Json(CPortListing::Rows());
    EXPECT_THAT(json, HasSubstr("\"name\" : \"COM5\""));
    EXPECT_THAT(json, HasSubstr("\"present\" : false"));
}

TEST_F(PortListingTest, WhatTheDatabaseSaysReachesTheTerminalWithoutControls)
{
    m_tree.AddUsb("ttyUSB0", "1-2", kCh340);
    CComPortResolver::ListPorts();
    // The user edits the file; an escape sequence in a description.
    const std::string file = m_tree.State().NumbersFile();
    std::ifstream in(file);
    std::string table((std::istreambuf_iterator<char>(in)), {});
    in.close();
    table.replace(table.find("USB Serial"), 10, "\x1b[2J\xe2\x80\xae" "evil\xff");
    std::ofstream(file) << table;
    m_tree.Unplug("ttyUSB0");
    StartApctl();
    const std::string text = CPortListing::Text(CPortListing::Rows());
    EXPECT_THAT(text, HasSubstr("?[2J?evil?"));
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
}

// A link's number outside 4 to 20 keeps its port out of the dialog: apctl
// lists it with how to bring it in, and reaches it by that number.
TEST_F(PortListingTest, LinksOutsideFourToTwentyAreListedWithTheFix)
{
    const std::pair<int, bool> cases[] = {{1, false}, {3, false}, {4, true}, {20, true}, {21, false}, {256, false}};
    for (const auto& [number, offered] : cases)
        m_tree.AddComLink(number);
    StartApctl();
    const NumberedPorts found = CComPortResolver::ListPorts();
    std::vector<int> listed, outside;
    for (const NumberedPort& port : found.ports)
        listed.push_back(port.number);
    for (const NumberedPort& port : found.outOfRange)
        outside.push_back(port.number);
    EXPECT_EQ(listed, (std::vector<int>{4, 20}));
    EXPECT_EQ(outside, (std::vector<int>{1, 3, 21, 256}));

    const auto rows = CPortListing::Rows();
    ASSERT_EQ(rows.size(), std::size(cases));
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto& [number, offered] = cases[i];
        const std::string link = m_tree.Dev() + "/com" + std::to_string(number);
        EXPECT_EQ(rows[i].number, number);
        EXPECT_EQ(rows[i].device, link);
        if (offered) {
            EXPECT_EQ(rows[i].hint, "") << number;
            continue;
        }
        EXPECT_EQ(rows[i].hint.rfind("COM" + std::to_string(number) + " (", 0), 0u) << rows[i].hint;
        EXPECT_THAT(rows[i].hint, HasSubstr(" is outside COM4 to COM20: its link " + link + " gives it that number."));
        EXPECT_THAT(rows[i].hint, HasSubstr("/dev/comN with N from 4 to 20"));
        EXPECT_EQ(CPortChooser::Choose("COM" + std::to_string(number)).number, number) << "apctl reaches it";
    }
    const std::string text = CPortListing::Text(rows);
    EXPECT_THAT(text, HasSubstr("\n\n" + rows[0].hint + "\n" + rows[1].hint + "\n" + rows[4].hint + "\n" +
                                rows[5].hint + "\n"));
    const std::string json = CPortListing::Json(rows);
    EXPECT_THAT(json, HasSubstr("\"offered\" : false"));
    EXPECT_THAT(json, HasSubstr("\"hint\" : null"));
}

TEST_F(PortListingTest, TheJsonIsEnglishInEveryLanguage)
{
    // A built-in port has no name of its own: the table gives it one.
    m_tree.AddPnpUart(4);
    StartApctl();
    CStringTable::SelectLanguage("zh_CN");
    const std::string chinese = CStringTable::LoadString(IDS_PORT_BUILT_IN);
    const std::string text = CPortListing::Listing(false);
    const std::string json = CPortListing::Listing(true);
    CStringTable::SelectLanguage("en");
    const std::string english = CStringTable::LoadString(IDS_PORT_BUILT_IN);
    CStringTable::SelectLanguage("");
    ASSERT_NE(chinese, english) << "the library holds Chinese";
    EXPECT_THAT(text, HasSubstr(chinese));
    EXPECT_THAT(json, HasSubstr("\"description\" : \"" + english + "\""));
    EXPECT_THAT(json, Not(HasSubstr(chinese)));
}

}  // namespace
