// Network ports under COM numbers on Windows: kept below the current user's
// key, listed beside the ports Windows has, and never given a number
// Windows lists (SERIALCOMM) or keeps for a device away (the arbiter's
// ComDB), both read from keys of the test's own.
#include <gtest/gtest.h>
#include <windows.h>

#include "serial/network_ports.h"
#include "serial/port_list.h"
#include "serial/win32/com_port_list.h"
#include "test_serial_comm_key.h"
#include "tests/support/listed_port.h"

namespace {

using E = CNetworkPorts::EChange;

constexpr const wchar_t* kNetworkPorts = L"Software\\apconfig\\Network ports";
constexpr const char* kArbiter = "Software\\apconfig-test\\COM Name Arbiter";
const std::string kLobby = "rfc2217://10.0.0.7:2001";
const std::string kHall = "rfc2217://[fd00::7]:2002";

class NetworkPortsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kNetworkPorts);
        ASSERT_TRUE(m_serialComm.IsOpen());
        ASSERT_TRUE(m_serialComm.AddPort(5));
        // ComDB: one bit a number from COM1 on; COM5 and COM6 are Windows'.
        const BYTE comDb[32] = {0x30};
        ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, kArbiter, "ComDB", REG_BINARY, comDb, sizeof comDb),
                  ERROR_SUCCESS);
        SetComNameArbiterKey(kArbiter);
    }
    void TearDown() override
    {
        SetComNameArbiterKey("");
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kNetworkPorts);
    }
    static void Value(const wchar_t* name, const std::wstring& text)
    {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kNetworkPorts, name, REG_SZ, text.c_str(),
                                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    CTestSerialCommKey m_serialComm;
};

TEST_F(NetworkPortsTest, NumbersWindowsUsesOrKeepsAreRefused)
{
    const CNetworkPorts::Result listed = CNetworkPorts::Add(5, kLobby);
    EXPECT_EQ(listed.change, E::SystemNumber);
    EXPECT_EQ(listed.detail, "\\Device\\Test5") << "the driver's device, where no friendly name is known";
    const CNetworkPorts::Result kept = CNetworkPorts::Add(6, kLobby);
    EXPECT_EQ(kept.change, E::SystemNumber);
    EXPECT_EQ(kept.detail, "") << "kept for a device that is away";
    EXPECT_TRUE(CNetworkPorts::List().empty()) << "nothing written";
}

TEST_F(NetworkPortsTest, AddedPortsAreListedOpenedByNumberAndRemoved)
{
    EXPECT_EQ(CNetworkPorts::Add(7, kLobby).change, E::Done);
    EXPECT_EQ(CNetworkPorts::Add(7, kLobby).change, E::Unchanged);
    const CNetworkPorts::Result taken = CNetworkPorts::Add(7, kHall);
    EXPECT_EQ(taken.change, E::NumberTaken);
    EXPECT_EQ(taken.detail, kLobby);
    const CNetworkPorts::Result twice = CNetworkPorts::Add(8, kLobby);
    EXPECT_EQ(twice.change, E::AddressTaken);
    EXPECT_EQ(twice.detail, "COM7");
    // Values no ports add wrote are passed over.
    Value(L"COM9", L"not an address");
    Value(L"COM010", L"rfc2217://10.0.0.9:2001");

    const SerialPortList list = CPortList::List();
    ASSERT_EQ(list.ports.size(), 2u);
    EXPECT_EQ(list.ports[0].number, 5);
    const SerialPortRecord* lobby = ListedUnder(list, 7);
    ASSERT_NE(lobby, nullptr);
    EXPECT_EQ(lobby->kind, ESerialPortKind::Network);
    EXPECT_EQ(lobby->path, kLobby);
    EXPECT_EQ(lobby->description, kLobby);
    EXPECT_EQ(CPortList::NetworkAddressOf(7), kLobby);
    EXPECT_EQ(CPortList::NetworkAddressOf(5), "");

    EXPECT_EQ(CNetworkPorts::Remove(7).change, E::Done);
    EXPECT_EQ(CNetworkPorts::Remove(7).change, E::NotThere);
    EXPECT_EQ(ListedUnder(CPortList::List(), 7), nullptr);
}

// Windows gives a number of its own to an adapter plugged in later: the
// adapter keeps it, the network port is kept but not listed.
TEST_F(NetworkPortsTest, APortWindowsGivesTheNumberLaterWins)
{
    ASSERT_EQ(CNetworkPorts::Add(7, kLobby).change, E::Done);
    ASSERT_TRUE(m_serialComm.AddPort(7));
    const SerialPortList list = CPortList::List();
    const SerialPortRecord* seven = ListedUnder(list, 7);
    ASSERT_NE(seven, nullptr);
    EXPECT_NE(seven->kind, ESerialPortKind::Network);
    EXPECT_EQ(CPortList::NetworkAddressOf(7), "");
    EXPECT_EQ(CNetworkPorts::List().size(), 1u);
}

}  // namespace
