// Network ports under COM numbers (apctl ports add / remove): listed by both
// programs under their numbers with their addresses, chosen and opened by
// number, and never given a number a port of the machine's own has or
// keeps.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <filesystem>

#include "cli/port_choice.h"
#include "cli/port_listing.h"
#include "frontend/string_table.h"
#include "serial/network_ports.h"
#include "serial/port_list.h"
#include "tests/support/listed_port.h"
#include "tests/support/resolver_on_tree.h"

namespace {

using testing::HasSubstr;
using E = CNetworkPorts::EChange;

const CFakeSysfs::UsbDevice kCh340{"1a86", "7523", "USB Serial", "", ""};
const std::string kLobby = "rfc2217://10.0.0.7:2001";
const std::string kHall = "rfc2217://[fd00::7]:2002";

class NetworkPortsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(CStringTable::Load()); }

    CFakeSysfs m_tree;
    CResolverOnTree m_resolver{m_tree};
};

TEST_F(NetworkPortsTest, AddedPortsAreListedChosenAndRemovedByNumber)
{
    m_tree.AddUsb("ttyUSB0", "1-2", kCh340);  // COM4
    EXPECT_EQ(CNetworkPorts::Add(7, kLobby).change, E::Done);
    EXPECT_EQ(CNetworkPorts::Add(7, kLobby).change, E::Unchanged) << "adding it again changes nothing";
    EXPECT_EQ(CNetworkPorts::Add(9, kHall).change, E::Done);

    const SerialPortList list = CPortList::List();
    ASSERT_EQ(list.ports.size(), 3u);
    EXPECT_EQ(list.ports[0].number, 4);
    const SerialPortRecord* lobby = ListedUnder(list, 7);
    ASSERT_NE(lobby, nullptr);
    EXPECT_EQ(lobby->kind, ESerialPortKind::Network);
    EXPECT_EQ(lobby->path, kLobby);
    EXPECT_EQ(lobby->description, kLobby);
    EXPECT_TRUE(lobby->access.Openable()) << "whether it can be had, connecting says";
    EXPECT_FALSE(CPortList::IsTerminal(*lobby));
    EXPECT_EQ(CPortList::NetworkAddressOf(7), kLobby);
    EXPECT_EQ(CPortList::NetworkAddressOf(4), "") << "a device's number opens the device";
    for (const SerialPortRecord& kept : CPortList::Absent())
        EXPECT_EQ(kept.number, 4) << "a network port is no device that is away";

    const PortChoice chosen = CPortChooser::Choose("com7");
    EXPECT_EQ(chosen.number, 7) << chosen.error;
    EXPECT_EQ(chosen.path, kLobby);
    const std::string text = CPortListing::Text(CPortListing::Rows());
    EXPECT_THAT(text, HasSubstr("COM7  " + kLobby));
    EXPECT_THAT(text, HasSubstr("COM9  " + kHall));
    EXPECT_EQ(text.find("not plugged in"), std::string::npos) << text;

    EXPECT_EQ(CNetworkPorts::Remove(7).change, E::Done);
    EXPECT_EQ(CNetworkPorts::Remove(7).change, E::NotThere);
    EXPECT_EQ(ListedUnder(CPortList::List(), 7), nullptr);
    EXPECT_EQ(CPortList::NetworkAddressOf(7), "");
    EXPECT_EQ(CPortChooser::Choose("COM7").number, 0);
}

TEST_F(NetworkPortsTest, NumbersAndAddressesTakenAreRefusedAndNothingIsChanged)
{
    m_tree.AddUsb("ttyUSB0", "1-2", kCh340);  // COM4
    m_tree.AddUsb("ttyUSB1", "1-3", kCh340);  // COM5, then unplugged: kept
    CComPortResolver::ListPorts();
    m_tree.Unplug("ttyUSB1");
    m_tree.AddComLink(12);
    ASSERT_EQ(CNetworkPorts::Add(8, kLobby).change, E::Done);

    struct Case {
        int number;
        std::string address;
        E change;
        std::string detail;
    };
    const Case cases[] = {
        {4, kHall, E::SystemNumber, "USB Serial (" + m_tree.Dev() + "/ttyUSB0)"},
        {5, kHall, E::SystemNumber, "USB Serial (" + m_tree.Dev() + "/ttyUSB1)"},
        {12, kHall, E::SystemNumber, m_tree.Dev() + "/com12"},
        {8, kHall, E::NumberTaken, kLobby},
        {10, kLobby, E::AddressTaken, "COM8"},
    };
    for (const Case& refused : cases) {
        const CNetworkPorts::Result result = CNetworkPorts::Add(refused.number, refused.address);
        EXPECT_EQ(result.change, refused.change) << refused.number;
        EXPECT_EQ(result.detail, refused.detail) << refused.number;
    }
    const std::vector<NetworkPortEntry> kept = CNetworkPorts::List();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].number, 8);
    EXPECT_EQ(kept[0].address, kLobby);
    EXPECT_EQ(CNetworkPorts::Remove(4).change, E::NotThere) << "a device's number is no network port's";

    // A device plugged in later passes over the network port's number.
    m_tree.AddUsb("ttyUSB2", "1-4", kCh340);
    m_tree.AddUsb("ttyUSB3", "1-5", kCh340);
    m_tree.AddUsb("ttyUSB4", "1-6", kCh340);
    m_tree.AddUsb("ttyUSB5", "1-7", kCh340);
    std::vector<int> numbers;
    for (const NumberedPort& port : CComPortResolver::ListPorts().ports)
        numbers.push_back(port.number);
    EXPECT_EQ(numbers, (std::vector<int>{4, 6, 7, 9, 10, 12}));
}

// A device never listed has no number yet: the user's choice comes first,
// and the device takes the next free number when it is first listed.
TEST_F(NetworkPortsTest, ADeviceNotYetNumberedLeavesTheNumberToTheUser)
{
    m_tree.AddUsb("ttyUSB0", "1-2", kCh340);
    m_tree.AddPnpUart(4);  // COM5 by its index, listed or not
    EXPECT_EQ(CNetworkPorts::Add(4, kLobby).change, E::Done);
    EXPECT_EQ(CNetworkPorts::Add(5, kHall).change, E::SystemNumber);
    const SerialPortList list = CPortList::List();
    ASSERT_EQ(list.ports.size(), 3u);
    EXPECT_EQ(list.ports[0].kind, ESerialPortKind::Network);
    EXPECT_EQ(list.ports[1].number, 5);
    EXPECT_EQ(list.ports[2].number, 6);
    EXPECT_EQ(list.ports[2].node, m_tree.Dev() + "/ttyUSB0");
}

TEST_F(NetworkPortsTest, AnUnwritableStateFolderIsSaidAndNothingIsListed)
{
    // The state folder is another user's: nothing can be kept there.
    const std::string folder = m_tree.State().Folder() + "/apconfig";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    const CNetworkPorts::Result result = CNetworkPorts::Add(7, kLobby);
    EXPECT_EQ(result.change, E::NotSaved);
    EXPECT_THAT(result.detail, HasSubstr("com-numbers"));
}

}  // namespace
