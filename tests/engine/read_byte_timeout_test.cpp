#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

#include "serial/tick_count.h"
#include "serial/reply_readers.h"
#include "serial/serial_port.h"
#include "tests/support/simulated_port_driver.h"

// The time rules of ReadByteTimeout under a scripted clock: each clock
// reading returns the next scripted value and may make a byte "arrive" in
// the same pass, exactly where the worker could deliver it.
namespace {

class CClockedPort : public CSerialPort {
public:
    CClockedPort() : CSerialPort(std::make_unique<CSimulatedPortDriver>()) { m_receiveRing.Allocate(16); }
    void Arrive(char byte)
    {
        std::lock_guard lock(m_csReceive);
        m_receiveRing.Push(static_cast<unsigned char>(byte));
    }
};

struct Reading {
    uint32_t now;
    char arrives = 0;  // a byte that arrives while this reading is taken
};

class ReadByteTimeoutTest : public testing::Test {
protected:
    void Script(std::deque<Reading> readings)
    {
        m_readings = std::move(readings);
        CTickCount::SetSource([this] {
            Reading r = m_readings.front();
            if (m_readings.size() > 1)
                m_readings.pop_front();
            ++m_nReadings;
            if (r.arrives)
                m_port.Arrive(r.arrives);
            return r.now;
        });
    }
    ~ReadByteTimeoutTest() override { CTickCount::SetSource(nullptr); }

    int Code(int ms)
    {
        try {
            m_port.ReadByteTimeout(ms);
        } catch (int code) {
            return code;
        }
        return 0;
    }

    CClockedPort m_port;
    std::deque<Reading> m_readings;
    int m_nReadings = 0;
};

TEST_F(ReadByteTimeoutTest, ExactlyTheTimeoutIsNotLate)
{
    Script({{1000}, {1500}, {1600, 'x'}});
    EXPECT_EQ(m_port.ReadByteTimeout(600), 'x');
}

TEST_F(ReadByteTimeoutTest, OneMillisecondPastTheTimeoutThrows666)
{
    Script({{1000}, {1500}, {1601}});
    EXPECT_EQ(Code(600), 666);
}

TEST_F(ReadByteTimeoutTest, TimeTestComesBeforeTheByteTest)
{
    // The byte arrives in the very pass in which the time runs out.
    Script({{1000}, {1601, 'y'}});
    EXPECT_EQ(Code(600), 666);
    // It is not lost: the next read takes it at once.
    Script({{5000}});
    EXPECT_EQ(m_port.ReadByteTimeout(0), 'y');
}

TEST_F(ReadByteTimeoutTest, ZeroNeverThrowsWhileTheClockReadsTheStart)
{
    Script({{70}, {70}, {70}, {70, 'z'}});
    EXPECT_EQ(m_port.ReadByteTimeout(0), 'z');
    Script({{70}, {70}, {71}});
    EXPECT_EQ(Code(0), 666);
    EXPECT_EQ(m_nReadings, 7);
}

TEST_F(ReadByteTimeoutTest, AByteAlreadyThereNeedsNoWait)
{
    m_port.Arrive('a');
    Script({{10}, {999999}});
    EXPECT_EQ(m_port.ReadByteTimeout(0), 'a');
    EXPECT_EQ(m_nReadings, 1);
}

TEST_F(ReadByteTimeoutTest, TheTickCounterWrapsAround)
{
    Script({{0xFFFFFFF0u}, {0x00000005u, 'w'}});
    EXPECT_EQ(m_port.ReadByteTimeout(21), 'w') << "21 ms passed across the wrap";
    Script({{0xFFFFFFF0u}, {0x00000006u}});
    EXPECT_EQ(Code(21), 666);
}

TEST_F(ReadByteTimeoutTest, EveryByteOfAReplyGetsTheWholeTimeout)
{
    // Three bytes each 9000 ms apart: 27 s in all under a 10000 ms time-out.
    SetReplyTimeout(10000);
    Script({{0}, {9000, 'O'}, {9000}, {18000, 'K'}, {18000}, {27000, '\n'}});
    EXPECT_TRUE(ExpectOk(&m_port));
}

TEST_F(ReadByteTimeoutTest, BytesOfABatchThatAreThereTakeNoClockReading)
{
    m_port.Arrive('a');
    m_port.Arrive('b');
    // Only the third byte is waited for, from the first reading on.
    Script({{10}, {10, 'c'}});
    char bytes[3] = {};
    m_port.ReadBytesTimeout(bytes, 3, 0);
    EXPECT_EQ(std::string(bytes, 3), "abc");
    EXPECT_EQ(m_nReadings, 2);
    // A late one still throws, by the same rule as a single byte.
    Script({{20}, {21}});
    EXPECT_THROW(m_port.ReadBytesTimeout(bytes, 1, 0), int);
}

}  // namespace
