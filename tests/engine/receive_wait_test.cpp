#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "protocol/exchanges.h"
#include "serial/tick_count.h"
#include "serial/serial_port.h"
#include "tests/support/simulated_port_test.h"
#include "tests/support/thrown.h"
#include "tests/support/wait_until.h"

// How the reader waits for received bytes, and how bytes that a full ring
// left in the driver are handed over, over the simulated driver.
namespace {

class CWatchablePort : public CSerialPort {
public:
    using CSerialPort::CSerialPort;
    // A sleep then ends when a byte comes, or not for ten minutes.
    void SleepInLongSlices() { m_nReadSliceMs = 600000; }
    // Ends a sleep that no byte ended, so a failing test does not hang.
    void WakeReader() { m_receiveSignal.Signal(); }
    unsigned long ReaderSleeps() const { return m_receiveSignal.Sleeps(); }
    unsigned long ReaderWakes() const { return m_receiveSignal.Wakes(); }
    int InRing() const { return m_receiveRing.GetCount(); }
    int HeldBack() const { return m_nReceiveHeldBack; }
    // ReadByte calls, and how many of them took an 'f'.
    int Reads() const { return m_nReads; }
    int Fs() const { return m_nFs; }
    char ReadByte() override
    {
        const char byte = CSerialPort::ReadByte();
        ++m_nReads;
        m_nFs += byte == 'f';
        return byte;
    }

private:
    int m_nReads = 0;
    int m_nFs = 0;
};

class ReceiveWaitTest : public SimulatedPortTest<CWatchablePort> {
protected:
    ~ReceiveWaitTest() override
    {
        // Closed before the clock goes back: the worker reads it.
        m_port->Close();
        CTickCount::SetSource(nullptr);
    }

    // A full ring with the rest of `bytes` left in the driver.
    void FillBeyondTheRing(const std::string& bytes)
    {
        m_driver->Arrive(bytes);
        ASSERT_TRUE(WaitUntil([&] {
            return m_port->InRing() == CSerialPort::kRingCapacity && m_port->HeldBack() != 0 &&
                   m_driver->InputWaiting() == bytes.size() - CSerialPort::kRingCapacity;
        }));
    }
};

std::string Numbered(size_t count)
{
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<char>(i % 251));
    return bytes;
}

TEST_F(ReceiveWaitTest, AByteArrivingWhileTheReaderSleepsIsReturnedAtOnce)
{
    ASSERT_TRUE(Open());
    m_port->SleepInLongSlices();
    std::atomic<int> read{-1};
    std::thread reader([&] { read = static_cast<unsigned char>(m_port->ReadByteTimeout(600000)); });
    EXPECT_TRUE(WaitUntil([&] { return m_port->ReaderSleeps() >= 1; }));
    // The idle worker keeps cycling meanwhile: none of that wakes the reader.
    LetWorkerCycle(2);
    EXPECT_EQ(m_port->ReaderWakes(), 0u);
    m_driver->Arrive("Z");
    // A ten-minute slice: returning at all means the byte woke the reader.
    const bool returned = WaitUntil([&] { return read != -1; });
    if (!returned)
        m_port->WakeReader();
    reader.join();
    EXPECT_TRUE(returned) << "the pushed byte did not wake the sleeping reader";
    EXPECT_EQ(read, 'Z');
    EXPECT_EQ(m_port->ReaderSleeps(), 1u) << "one sleep, ended by the byte";
    EXPECT_GE(m_port->ReaderWakes(), 1u);
}

TEST_F(ReceiveWaitTest, NoWakeUpIsPaidWhileNobodySleeps)
{
    ASSERT_TRUE(Open());
    m_driver->Arrive(Numbered(1000));
    ASSERT_TRUE(WaitUntil([&] { return m_port->InRing() == 1000; }));
    std::string read;
    for (int i = 0; i < 1000; ++i)
        read.push_back(m_port->ReadByteTimeout(10000));
    EXPECT_EQ(read, Numbered(1000));
    EXPECT_EQ(m_port->ReaderSleeps(), 0u) << "every byte was there: nothing to wait for";
    EXPECT_EQ(m_port->ReaderWakes(), 0u);
}

TEST_F(ReceiveWaitTest, ALateReadSleepsInSlicesAndStillThrows)
{
    ASSERT_TRUE(Open());
    // Long enough that a test runner's busy moment cannot eat it whole.
    constexpr int kTimeoutMs = 200;
    EXPECT_EQ(Thrown([&] { m_port->ReadByteTimeout(kTimeoutMs); }), 666);
    // A spin would not have slept at all; 200 ms in 5 ms slices is about 40.
    // Wine under load cuts slices short, so the bound is a sleep a millisecond.
    EXPECT_GE(m_port->ReaderSleeps(), 1u);
    EXPECT_LE(m_port->ReaderSleeps(), unsigned(kTimeoutMs));
}

TEST_F(ReceiveWaitTest, TheInjectedClockIsReadAgainAfterEverySleep)
{
    // Never opened: nothing arrives. The clock stands at the start for 120
    // readings, past the spin, then reads one millisecond too late.
    int readings = 0;
    CTickCount::SetSource([&] { return ++readings <= 120 ? 1000u : 1601u; });
    EXPECT_EQ(Thrown([&] { m_port->ReadByteTimeout(600); }), 666);
    EXPECT_EQ(readings, 121) << "one reading a pass, sleeping or not";
    EXPECT_GE(m_port->ReaderSleeps(), 1u);
}

TEST_F(ReceiveWaitTest, AFullRingIsRefilledOnceHalfOfItHasBeenRead)
{
    ASSERT_TRUE(Open());
    const std::string bytes = Numbered(6000);
    FillBeyondTheRing(bytes);
    std::string read;
    for (int i = 0; i < 1000; ++i)
        read.push_back(m_port->ReadByte());
    LetWorkerCycle(2);
    EXPECT_EQ(m_driver->InputWaiting(), 6000u - 4096u) << "a few bytes of room do not call the worker";
    while (m_port->InRing() > CSerialPort::kRingCapacity / 2)
        read.push_back(m_port->ReadByte());
    // Down to half: the worker takes the rest in one hand-over.
    ASSERT_TRUE(WaitUntil([&] { return m_driver->InputWaiting() == 0; }));
    while (!m_port->IsReceiveEmpty())
        read.push_back(m_port->ReadByte());
    EXPECT_EQ(read, bytes);
}

TEST_F(ReceiveWaitTest, BytesTheDriverLosesWhileTheRingIsFullAreNotWaitedFor)
{
    ASSERT_TRUE(Open());
    FillBeyondTheRing(std::string(6000, 'f'));
    // The adapter is pulled out: its driver's bytes are gone.
    m_driver->LoseInput();
    while (!m_port->IsReceiveEmpty() && m_port->Reads() < 100000)
        m_port->ReadByte();
    EXPECT_EQ(m_port->Fs(), CSerialPort::kRingCapacity) << "the ring's bytes";
    EXPECT_LE(m_port->Reads(), CSerialPort::kRingCapacity + 1) << "nothing waited for beyond them";
    EXPECT_TRUE(m_port->IsReceiveEmpty());
}

TEST_F(ReceiveWaitTest, DiscardingEndsAfterWhatTheRingAndTheDriverCanHold)
{
    ASSERT_TRUE(Open());
    // More than any driver queue holds: a port that keeps reporting bytes.
    FillBeyondTheRing(std::string(100000, 'f'));
    DiscardReceived(m_port.get());
    EXPECT_EQ(m_port->Reads(), m_port->ReceiveCapacity());
    EXPECT_EQ(m_port->Fs(), m_port->ReceiveCapacity()) << "each read took a byte: the refills were waited for";
    EXPECT_FALSE(m_port->IsReceiveEmpty()) << "the rest is left for the next read";

    // What the driver lost is not waited for: the discard ends at once.
    m_driver->LoseInput();
    DiscardReceived(m_port.get());
    EXPECT_TRUE(m_port->IsReceiveEmpty());
}

TEST_F(ReceiveWaitTest, EmptyingAheadOfTheWorkerWaitsForTheHeldBackBytes)
{
    ASSERT_TRUE(Open());
    const std::string bytes = Numbered(5000);
    FillBeyondTheRing(bytes);
    // Emptied faster than the worker refills: every ReadByte still takes a
    // byte, none reads as an empty ring.
    std::string read;
    while (!m_port->IsReceiveEmpty())
        read.push_back(m_port->ReadByte());
    EXPECT_EQ(read, bytes);
}

}  // namespace
