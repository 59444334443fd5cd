#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <termios.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "protocol/exchanges.h"
#include "protocol/line_settings.h"
#include "serial/posix/posix_port_driver.h"
#include "serial/posix/tty_device.h"
#include "serial/reply_readers.h"
#include "serial/serial_port.h"
#include "serial/tick_count.h"
#include "tests/support/inotify_events.h"
#include "tests/support/pty_pair.h"
#include "tests/support/thrown.h"
#include "tests/support/wait_until.h"

// The engine over the real tty driver, on a pty whose other end the test holds.
namespace {

class TtyPortTest : public testing::Test {
protected:
    TtyPortTest() : m_pty(7)
    {
        auto driver = std::make_unique<CPosixPortDriver>();
        m_driver = driver.get();
        m_port = std::make_unique<CSerialPort>(std::move(driver));
    }
    ~TtyPortTest() override { m_port->Close(); }

    std::string ReadBytes(size_t n, int ms = 10000)
    {
        std::string bytes;
        while (bytes.size() < n)
            bytes.push_back(m_port->ReadByteTimeout(ms));
        return bytes;
    }

    CPtyPair m_pty;
    CPosixPortDriver* m_driver;
    std::unique_ptr<CSerialPort> m_port;
    DCB m_settings = AccessPointLineSettings();
};

TEST_F(TtyPortTest, BytesCrossBothWays)
{
    ASSERT_TRUE(m_port->Open(7, &m_settings));
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    m_port->Write(all.data(), static_cast<int>(all.size()));
    EXPECT_EQ(m_pty.Receive(all.size()), all) << "raw: no byte translated";
    m_pty.Send(all);
    EXPECT_EQ(ReadBytes(all.size()), all);
}

TEST_F(TtyPortTest, LineSettingsReachTheTty)
{
    ASSERT_TRUE(m_port->Open(7, &m_settings));
    int fd = open(m_pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios tio;
    ASSERT_EQ(tcgetattr(fd, &tio), 0);
    close(fd);
    EXPECT_EQ(cfgetospeed(&tio), B115200);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u) << "raw mode";
}

TEST_F(TtyPortTest, ARepliedByteWakesTheWorkerAtOnce)
{
    ASSERT_TRUE(m_port->Open(7, &m_settings));
    m_port->WriteString("LNAMREAD\n");
    ASSERT_EQ(m_pty.Receive(9), "LNAMREAD\n");
    unsigned long before = m_driver->DataWakeups();
    m_pty.Send("OK\n");
    EXPECT_EQ(ReadBytes(3), "OK\n");
    // The worker left its idle wait because the port had data, not because
    // the wait ran out.
    EXPECT_GT(m_driver->DataWakeups(), before);
}

TEST_F(TtyPortTest, SecondOpenOfTheSameDeviceIsRefused)
{
    ASSERT_TRUE(m_port->Open(7, &m_settings));
    CSerialPort other;
    EXPECT_FALSE(other.Open(7, &m_settings));
    other.Close();
    EXPECT_LT(CTtyDevice::OpenExclusive("COM7"), 0);
    m_port->Close();
    int fd = CTtyDevice::OpenExclusive("COM7");
    EXPECT_GE(fd, 0) << "free again after Close";
    CTtyDevice::CloseExclusive(fd);
}

TEST_F(TtyPortTest, MissingDeviceFailsToOpen)
{
    CSerialPort absent;
    EXPECT_FALSE(absent.Open(9, &m_settings));
    EXPECT_TRUE(absent.IsReceiveEmpty());
    absent.Close();
}

TEST_F(TtyPortTest, HangUpFailsReadsWithoutSpinningAndCloseReturns)
{
    ASSERT_TRUE(m_port->Open(7, &m_settings));
    // A request first: the worker purges the port when it starts.
    m_port->WriteString("?");
    ASSERT_EQ(m_pty.Receive(1), "?");
    m_pty.Send("A");
    EXPECT_EQ(ReadBytes(1), "A");
    m_pty.HangUp();
    EXPECT_THROW(m_port->ReadByteTimeout(300), int);
    m_port->WriteString("EXIT\n");  // goes nowhere, must not block
    // A hung-up descriptor left in the wait would end every wait at once:
    // thousands of cycles where the idle worker makes about three.
    unsigned long waits = m_driver->Waits();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LT(m_driver->Waits() - waits, 50u);
    m_port->Close();
}

// A flood nobody reads fills the ring and leaves more in the driver; then
// the other end goes away, and with it what the kernel still held. The
// listing after it must fail, empty the port and end; the next exchange
// fails cleanly and the port closes. Run a few times: whether the kernel
// loses bytes depends on where they are when the line goes.
TEST(TtyPortFreeze, AFloodThenAHangUpThenAListingEndsAndTheNextExchangeFails)
{
    class CPeekPort : public CSerialPort {
    public:
        bool FullAndHoldingBack() const
        {
            return m_receiveRing.GetCount() == kRingCapacity && m_nReceiveHeldBack.load() != 0;
        }
    };
    const DCB settings = AccessPointLineSettings();
    SetReplyTimeout(300);
    for (int run = 0; run < 6; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        CPtyPair pty(7);
        CPeekPort port;
        ASSERT_TRUE(port.Open(7, &settings));
        EXPECT_GT(pty.SendWhatFits(std::string(25000, 'f')), 2u * CSerialPort::kRingCapacity);
        ASSERT_TRUE(WaitUntil([&] { return port.FullAndHoldingBack(); }));
        pty.HangUp();

        std::vector<LinkRecord> records;
        EXPECT_EQ(Thrown([&] { ReadPairedDevices(&port, records); }), kListNotAcknowledged);
        EXPECT_TRUE(records.empty());
        EXPECT_TRUE(port.IsReceiveEmpty()) << "the discard ended with the port empty";
        EXPECT_EQ(Thrown([&] { ChangePin(&port, "0000", "0000"); }), 999) << "nothing answers any more";
        port.Close();
    }
}

}  // namespace

namespace {

// Why an open failed, as the tty said it: absent, or settings it refuses.
TEST_F(TtyPortTest, AFailedOpenKeepsTheSystemsErrorAndLeavesThePortFree)
{
    struct Row {
        const char* what;
        int com;
        uint8_t byteSize;
        CSerialPort::EOpenFailure failure;
        int error;
    };
    const Row rows[] = {
        {"absent", 9, 8, CSerialPort::EOpenFailure::CannotOpen, ENOENT},
        {"nine data bits", 7, 9, CSerialPort::EOpenFailure::SettingsRefused, EINVAL},
        {"four data bits", 7, 4, CSerialPort::EOpenFailure::SettingsRefused, EINVAL},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        DCB settings = AccessPointLineSettings();
        settings.ByteSize = row.byteSize;
        CSerialPort port;
        EXPECT_FALSE(port.Open(row.com, &settings));
        EXPECT_EQ(port.OpenFailure(), row.failure);
        EXPECT_EQ(port.OpenError(), row.error);
        const int fd = CTtyDevice::OpenExclusive("COM7");
        EXPECT_GE(fd, 0) << "closed again at once";
        CTtyDevice::CloseExclusive(fd);
        port.Close();
    }
}

// The other end going away is the port gone: the wait for the reply ends at
// once, though the clock stands still, and bytes that came first are read.
TEST_F(TtyPortTest, AHangUpIsThePortGoneAndEndsTheWaitAtOnce)
{
    ASSERT_TRUE(m_port->Open(7, &m_settings));
    m_port->WriteString("?");
    ASSERT_EQ(m_pty.Receive(1), "?");
    CTickCount::SetSource([] { return 5u; });
    m_pty.Send("AB");
    EXPECT_EQ(ReadBytes(1), "A");
    m_pty.HangUp();
    EXPECT_EQ(ReadBytes(1), "B");
    EXPECT_EQ(Thrown([&] { m_port->ReadByteTimeout(10000); }), CSerialPort::kReadTimeoutCode);
    CTickCount::SetSource({});
    EXPECT_TRUE(m_port->IsGone());
    EXPECT_TRUE(m_driver->IsGone());
    EXPECT_EQ(m_driver->LastError(), EIO);
    m_port->Close();
}

// Opening the engine's port opens the device once.
TEST_F(TtyPortTest, OpenOpensTheDeviceOnce)
{
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, m_pty.SlavePath().c_str(), IN_OPEN), 0);
    ASSERT_TRUE(m_port->Open(7, &m_settings));
    EXPECT_EQ(InotifyEvents(watch), 1);
    close(watch);
}

}  // namespace
