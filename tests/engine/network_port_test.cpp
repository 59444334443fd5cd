#include <gtest/gtest.h>

#include <asio.hpp>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "protocol/line_settings.h"
#include "serial/rfc2217/telnet_codes.h"
#include "serial/serial_port.h"
#include "tests/support/thrown.h"
#include "tests/support/wait_until.h"

// The engine over a network port, against a server in this process: the
// port's settings as commands, data with 0xFF both ways, and a connection
// the server ends. Under the thread sanitizer this is the driver's reader
// thread against the engine's worker.
namespace {

using namespace telnet;

// Takes one client; answers every COM-PORT-OPTION command as asked and
// echoes data back; drops the connection when told.
class EchoServer {
public:
    EchoServer() : m_acceptor(m_io, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0))
    {
        m_thread = std::thread([this] { Serve(); });
    }
    ~EchoServer()
    {
        Drop();
        asio::error_code ignored;
        m_acceptor.close(ignored);
        m_thread.join();
    }
    std::string Address() const { return "rfc2217://127.0.0.1:" + std::to_string(m_acceptor.local_endpoint().port()); }
    void Drop()
    {
        asio::error_code ignored;
        m_socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    }
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> Commands()
    {
        std::lock_guard lock(m_lock);
        return m_commands;
    }
    std::string Data()
    {
        std::lock_guard lock(m_lock);
        return m_data;
    }

private:
    void Send(std::vector<uint8_t> bytes)
    {
        asio::error_code ignored;
        asio::write(m_socket, asio::buffer(bytes), ignored);
    }
    static void PutEscaped(std::vector<uint8_t>& out, uint8_t byte)
    {
        out.push_back(byte);
        if (byte == kIac)
            out.push_back(kIac);
    }
    void Serve()
    {
        asio::error_code error;
        m_acceptor.accept(m_socket, error);
        std::vector<uint8_t> sub;
        enum { Data, Command, Option, Sub, SubIac } state = Data;
        uint8_t byte = 0;
        while (!error && asio::read(m_socket, asio::buffer(&byte, 1), error) == 1) {
            switch (state) {
            case Data:
                if (byte == kIac) {
                    state = Command;
                } else {
                    Echo(byte);
                }
                break;
            case Command:
                state = byte == kIac ? (Echo(byte), Data) : byte == kSb ? (sub.clear(), Sub) : Option;
                break;
            case Option: state = Data; break;  // offers go unanswered, as some servers leave them
            case Sub: byte == kIac ? state = SubIac : (sub.push_back(byte), state); break;
            case SubIac:
                if (byte == kIac) {
                    sub.push_back(byte);
                    state = Sub;
                } else {
                    Answer(sub);
                    state = Data;
                }
                break;
            }
        }
    }
    void Echo(uint8_t byte)
    {
        {
            std::lock_guard lock(m_lock);
            m_data.push_back(char(byte));
        }
        std::vector<uint8_t> out;
        PutEscaped(out, byte);
        Send(out);
    }
    void Answer(const std::vector<uint8_t>& sub)
    {
        if (sub.size() < 2 || sub[0] != kComPortOption)
            return;
        const std::vector<uint8_t> value(sub.begin() + 2, sub.end());
        {
            std::lock_guard lock(m_lock);
            m_commands.emplace_back(sub[1], value);
        }
        std::vector<uint8_t> out{kIac, kSb, kComPortOption, uint8_t(sub[1] + comport::kServerOffset)};
        for (uint8_t byte : value)
            PutEscaped(out, byte);
        out.insert(out.end(), {kIac, kSe});
        Send(out);
    }

    asio::io_context m_io;
    asio::ip::tcp::acceptor m_acceptor;
    asio::ip::tcp::socket m_socket{m_io};
    std::thread m_thread;
    std::mutex m_lock;
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> m_commands;
    std::string m_data;
};

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
    EchoServer m_server;
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

TEST(NetworkPortOpenTest, NoServerOrAWrongNameFailsTheOpenWithItsFault)
{
    const DCB settings = AccessPointLineSettings();
    uint16_t closed = 0;
    {
        asio::io_context io;
        asio::ip::tcp::acceptor probe(io, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0));
        closed = probe.local_endpoint().port();
    }
    const std::pair<std::string, PortFault::EKind> rows[] = {
        {"rfc2217://127.0.0.1:" + std::to_string(closed), PortFault::EKind::CannotConnect},
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
