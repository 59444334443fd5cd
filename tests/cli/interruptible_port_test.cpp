// The port apctl talks through once a signal may stop it: bytes pass as on
// any port until the flag is up, then every read and write fails at once; a
// closing conversation heeds its budget instead.
#include "cli/interruptible_port.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "protocol/port_line_settings.h"
#include "tests/support/simulated_port_test.h"
#include "tests/support/thrown.h"

namespace {

class InterruptiblePort : public SimulatedPortTest<CInterruptiblePort> {
protected:
    InterruptiblePort()
        : SimulatedPortTest([this] {
              // Up from the given look on.
              return ++m_looks >= m_upAtLook;
          })
    {
        BuildAccessPointLineSettings(7, m_settings);
        EXPECT_TRUE(Open());
    }

    std::atomic<int> m_looks{0};
    int m_upAtLook = 1 << 30;
};

TEST_F(InterruptiblePort, BytesPassUntilTheFlagIsUpThenEveryReadAndWriteFailsAtOnce)
{
    m_driver->Arrive("ab");
    char two[2] = {};
    m_port->ReadBytesTimeout(two, 2, 10000);
    EXPECT_EQ(std::string(two, 2), "ab");
    m_port->WriteString("LINKREAD\n");

    m_upAtLook = m_looks + 1;
    // A byte waiting is not taken either: the exchange stops where it is.
    m_driver->Arrive("c");
    EXPECT_EQ(Thrown([&] { m_port->ReadByteTimeout(300000); }), CSerialPort::kReadTimeoutCode);
    char one = 0;
    EXPECT_EQ(Thrown([&] { m_port->ReadBytesTimeout(&one, 1, 300000); }), CSerialPort::kReadTimeoutCode);
    EXPECT_EQ(Thrown([&] { m_port->WriteString("EXIT\n"); }), CSerialPort::kReadTimeoutCode);
}

TEST_F(InterruptiblePort, ALongWaitLooksAtTheFlagBetweenItsSlices)
{
    // Nothing arrives: only the flag, raised at the third look, ends a wait
    // granted five minutes.
    m_upAtLook = 3;
    EXPECT_EQ(Thrown([&] { m_port->ReadByteTimeout(300000); }), CSerialPort::kReadTimeoutCode);
    EXPECT_EQ(m_looks, 3);
}

TEST_F(InterruptiblePort, AClosingConversationHeedsItsBudgetNotTheFlag)
{
    m_upAtLook = 0;
    m_port->Closing(60000);
    m_driver->Arrive("OK\n");
    char ok[3] = {};
    EXPECT_NO_THROW(m_port->WriteString("EXIT\n"));
    EXPECT_NO_THROW(m_port->ReadBytesTimeout(ok, 3, 10000));
    EXPECT_EQ(std::string(ok, 3), "OK\n");
    const int looks = m_looks;

    m_port->Closing(0);
    m_driver->Arrive("late");
    EXPECT_EQ(Thrown([&] { m_port->ReadByteTimeout(10000); }), CSerialPort::kReadTimeoutCode);
    EXPECT_EQ(m_looks, looks) << "the flag is no longer asked";
}

}  // namespace
