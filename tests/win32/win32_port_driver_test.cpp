// The engine over the Win32 driver, against the simulated access point
// served as COM<APCONFIG_TEST_COM> with three paired devices (see
// win32_port_over_pty.sh). Win32PortTest passes at any reply pace;
// Win32SilentFirstTest needs the first identification left unanswered,
// Win32HangupTest the line closed within the first reply.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "protocol/exchanges.h"
#include "protocol/line_settings.h"
#include "serial/serial_port.h"

namespace {

int TestPort()
{
    const char* com = std::getenv("APCONFIG_TEST_COM");
    return com ? std::atoi(com) : 0;
}

class Win32PortTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (TestPort() == 0)
            GTEST_SKIP() << "APCONFIG_TEST_COM names no port";
        const DCB settings = AccessPointLineSettings();
        ASSERT_TRUE(m_port.Open(TestPort(), &settings));
    }
    void TearDown() override { m_port.Close(); }

    CSerialPort m_port;
};

} // namespace

TEST_F(Win32PortTest, ConversationWithTheAccessPoint)
{
    ASSERT_TRUE(IdentifyAccessPoint(&m_port));
    std::vector<LinkRecord> devices;
    ReadPairedDevices(&m_port, devices);
    EXPECT_EQ(devices.size(), 3u);

    ASSERT_TRUE(ChangeDeviceName(&m_port, "win32 port"));
    char name[kNameBufferSize] = {};
    ASSERT_TRUE(ReadDeviceName(&m_port, name));
    EXPECT_STREQ(name, "win32 port");
    EndConversation(&m_port);
}

TEST_F(Win32PortTest, ReopenedPortIdentifiesAgain)
{
    ASSERT_TRUE(IdentifyAccessPoint(&m_port));
    m_port.Close();
    const DCB settings = AccessPointLineSettings();
    ASSERT_TRUE(m_port.Open(TestPort(), &settings));
    EXPECT_TRUE(IdentifyAccessPoint(&m_port));
    EndConversation(&m_port);
}

// A read that never completes ends at the reply time-out, and the port
// serves the next exchange.
using Win32SilentFirstTest = Win32PortTest;
TEST_F(Win32SilentFirstTest, UnansweredIdentificationTimesOutAndTheNextIsHeard)
{
    EXPECT_THROW(IdentifyAccessPoint(&m_port), int);
    DiscardReceived(&m_port);
    EXPECT_TRUE(IdentifyAccessPoint(&m_port));
    EndConversation(&m_port);
}

// The line closing mid-reply fails the exchange, at the latest at the reply
// time-out, and so does every exchange after it; the port still closes.
using Win32HangupTest = Win32PortTest;
TEST_F(Win32HangupTest, LineClosedMidReplyFailsTheExchange)
{
    bool identified = true;
    try {
        identified = IdentifyAccessPoint(&m_port);
    } catch (int) {
        identified = false;
    }
    EXPECT_FALSE(identified);
    EXPECT_THROW(IdentifyAccessPoint(&m_port), int) << "nothing is served after the hang-up";
}

TEST(Win32PortOpen, MissingPortDoesNotOpen)
{
    CSerialPort port;
    const DCB settings = AccessPointLineSettings();
    EXPECT_FALSE(port.Open(250, &settings));
    // Closing what never opened is harmless.
    port.Close();
}
