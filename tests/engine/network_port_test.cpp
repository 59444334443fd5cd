#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "protocol/line_settings.h"
#include "serial/rfc2217/telnet_codes.h"
#include "serial/serial_port.h"
#include "tests/support/rfc2217_echo_server.h"
#include "tests/support/thrown.h"
#include "tests/support/wait_until.h"

// The engine over a network port, against a server in this process: the
// port's settings as commands, data with 0xFF both ways, and a connection
// the server ends. Under the thread sanitizer this is the driver's reader
// thread against the engine's worker.
namespace {

class NetworkPortTest : public ::testing::Test {
protected:
    ~NetworkPortTest() override { m_port.Close(); }
    bool Open() { return m_port.OpenNamed(m_server.Address(), &m_settings); }
    std::string Read(int n)
    {
        std::string bytes(size_t(n), '\0');
        m_port.ReadBytesTimeout(bytes.data(), n, 2000);
        return bytes;
    }

    const DCB m_settings = AccessPointLineSettings();
    CRfc2217EchoServer m_server;
    CSerialPort m_port;
};

TEST_F(NetworkPortTest, TheLineIsSetUpAndBytesWithIacGoThroughBothWays)
{
    ASSERT_TRUE(Open());
    const std::string sent("A\xff\xff" "B\r", 5);
    m_port.Write(sent.data(), int(sent.size()));
    EXPECT_EQ(Read(int(sent.size())), sent);
    EXPECT_EQ(m_server.Data(), sent);
    const auto commands = m_server.Commands();
    const std::pair<uint8_t, std::vector<uint8_t>> expected[] = {
        {comport::kSetBaudRate, {0, 1, 0xc2, 0}},  // 115200, big-endian
        {comport::kSetDataSize, {8}},
        {comport::kSetParity, {comport::kParityEven}},
        {comport::kSetStopSize, {comport::kStopSize1}},
        {comport::kSetControl, {comport::kControlHardware}},
    };
    for (const auto& command : expected)
        EXPECT_NE(std::find(commands.begin(), commands.end(), command), commands.end()) << int(command.first);
    EXPECT_EQ(m_port.Fault().kind, PortFault::EKind::None);
}

TEST_F(NetworkPortTest, AConnectionTheServerEndsIsTheWaitEndedAndTheFaultNamed)
{
    ASSERT_TRUE(Open());
    m_server.Drop();
    EXPECT_EQ(Thrown([&] { m_port.ReadByteTimeout(5000); }), CSerialPort::kReadTimeoutCode);
    EXPECT_TRUE(WaitUntil([&] { return m_port.IsGone(); }));
    const PortFault fault = m_port.Fault();
    EXPECT_EQ(fault.kind, PortFault::EKind::ConnectionLost);
    EXPECT_EQ(fault.host, "127.0.0.1");
    EXPECT_EQ("rfc2217://127.0.0.1:" + fault.port, m_server.Address());
    EXPECT_FALSE(fault.cause.empty());
}

// A server that cannot see the line's CTS (ser2net over a pty reports 0)
// yet passes the request on: the answer shows the device ready, so a
// refusal is not explained as CTS that never came on.
TEST(NetworkPortCtsTest, AnAnswerShowsTheDeviceReadyWhateverTheServerReports)
{
    CRfc2217EchoServer server(uint8_t{0});
    CSerialPort port;
    const DCB settings = AccessPointLineSettings();
    ASSERT_TRUE(port.OpenNamed(server.Address(), &settings));
    port.WriteString("Q");
    EXPECT_EQ(port.ReadByteTimeout(2000), 'Q');
    EXPECT_FALSE(port.CtsNeverOn());
    port.Close();
}

TEST(NetworkPortOpenTest, NoServerOrAWrongNameFailsTheOpenWithItsFault)
{
    const DCB settings = AccessPointLineSettings();
    std::string closed;
    {
        CRfc2217EchoServer gone;
        closed = gone.Address();
    }
    const std::pair<std::string, PortFault::EKind> rows[] = {
        {closed, PortFault::EKind::CannotConnect},
        {"rfc2217://127.0.0.1", PortFault::EKind::NotANetworkName},
    };
    for (const auto& [name, kind] : rows) {
        CSerialPort port;
        EXPECT_FALSE(port.OpenNamed(name, &settings)) << name;
        port.Close();
        EXPECT_EQ(port.Fault().kind, kind) << name;
    }
}

}  // namespace
