#include "serial/serial_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/simulated_port_test.h"
#include "tests/support/wait_until.h"

#include <chrono>
#include <thread>

using testing::ElementsAre;

namespace {

class SerialPortTest : public SimulatedPortTest<> {
protected:
    // Opens with CTS off and writes bytes, then lets the worker look at CTS
    // more than `looks` times.
    void WriteWithCtsOff(const char* bytes, int looks)
    {
        m_driver->SetCts(false);
        ASSERT_TRUE(Open());
        m_port->WriteString(bytes);
        const int reads = m_driver->ModemStatusReads();
        ASSERT_TRUE(WaitUntil([&] { return m_driver->ModemStatusReads() > reads + looks; }));
    }
    std::string ReadAll()
    {
        std::string bytes;
        while (!m_port->IsReceiveEmpty())
            bytes.push_back(m_port->ReadByte());
        return bytes;
    }
};

TEST_F(SerialPortTest, OpenConfiguresThePortInOrder)
{
    m_settings.BaudRate = 115200;
    ASSERT_TRUE(Open());
    ASSERT_TRUE(WaitUntil([&] { return m_driver->Calls().size() >= 8; }));
    auto calls = m_driver->Calls();
    EXPECT_THAT(std::vector<std::string>(calls.begin(), calls.begin() + 6),
                ElementsAre("CreateFile COM7", "SetCommTimeouts 10000 10000 10000 10000 10000", "SetCommMask 57",
                            "SetCommState 115200", "SetupComm 4096 4096", "PurgeComm 15"));
    // The worker's own purge and the DTR raise race each other.
    EXPECT_THAT(std::vector<std::string>(calls.begin() + 6, calls.begin() + 8),
                testing::UnorderedElementsAre("PurgeComm 15", "SetDtr"));
}

TEST_F(SerialPortTest, RefusedTimeoutsSkipTheRestOfTheChainButOpenSucceeds)
{
    m_driver->FailTimeouts();
    ASSERT_TRUE(Open());
    auto calls = m_driver->Calls();
    EXPECT_EQ(calls[2], "PurgeComm 15") << "no mask, settings or queue sizes after refused time-outs";
    // Without the event mask nothing is ever received.
    m_driver->Arrive("x");
    LetWorkerCycle();
    EXPECT_TRUE(m_port->IsReceiveEmpty());
    EXPECT_EQ(m_driver->InputWaiting(), 1u);
}

TEST_F(SerialPortTest, CtsOffHoldsBytesUntilCtsComesOn)
{
    ASSERT_NO_FATAL_FAILURE(WriteWithCtsOff("LINKREAD\n", 5));
    EXPECT_EQ(m_driver->WriteCalls(), 0) << "nothing reaches the port while CTS is off";

    m_driver->SetCts(true);
    ASSERT_TRUE(WaitUntil([&] { return m_driver->Written().size() == 9; }));
    EXPECT_EQ(m_driver->Written(), "LINKREAD\n");
    EXPECT_EQ(m_driver->WriteCalls(), 9) << "one write per byte";
}

TEST_F(SerialPortTest, WhileBytesWaitForCtsTheWorkerWaitsBetweenLooksAndSendsOnceItIsOn)
{
    ASSERT_NO_FATAL_FAILURE(WriteWithCtsOff("PINUPDAT\n", 3));
    m_driver->ResetLongestWait();
    const int looks = m_driver->ModemStatusReads();
    const int timedOut = m_driver->TimedOutWaits();
    ASSERT_TRUE(WaitUntil([&] { return m_driver->ModemStatusReads() >= looks + 20; }));
    const int newLooks = m_driver->ModemStatusReads() - looks;
    // Each look follows a wait that ran its time: no spinning on the event.
    EXPECT_GE(m_driver->TimedOutWaits() - timedOut, newLooks - 1);
    // And no wait is longer than the look period, so CTS coming on is seen
    // within it: under 5 ms.
    EXPECT_LE(m_driver->LongestWaitMs(), CSerialPort::kCtsLookMs);
    EXPECT_LT(CSerialPort::kCtsLookMs, 5u);
    EXPECT_EQ(m_driver->WriteCalls(), 0);

    m_driver->SetCts(true);
    ASSERT_TRUE(WaitUntil([&] { return m_driver->Written() == "PINUPDAT\n"; }));
    // Nothing queued any more: the idle period again.
    m_driver->ResetLongestWait();
    LetWorkerCycle(2);
    EXPECT_EQ(m_driver->LongestWaitMs(), CSerialPort::kWorkerWaitMs);
}

TEST_F(SerialPortTest, EmptyWriteStillWakesTheWorker)
{
    ASSERT_TRUE(Open());
    LetWorkerCycle(1);
    int reads = m_driver->ModemStatusReads();
    m_port->Write("", 0);
    ASSERT_TRUE(WaitUntil([&] { return m_driver->ModemStatusReads() > reads; }));
    m_port->WriteString("");
    LetWorkerCycle();
    EXPECT_EQ(m_driver->WriteCalls(), 0);
}

TEST_F(SerialPortTest, FullRingWriteReturnsWithoutTheWorkerAndLongerWritesDrain)
{
    m_driver->SetCts(false);
    ASSERT_TRUE(Open());
    std::string ring(4096, 'a');
    m_port->Write(ring.data(), static_cast<int>(ring.size()));  // fits: must not wait
    EXPECT_EQ(m_driver->WriteCalls(), 0);
    m_driver->SetCts(true);
    ASSERT_TRUE(WaitUntil([&] { return m_driver->Written().size() == 4096; }));

    // Longer than the ring: Write wakes the worker while it waits for space.
    std::string big;
    for (int i = 0; i < 10000; ++i)
        big.push_back(static_cast<char>(i % 251));
    m_port->Write(big.data(), static_cast<int>(big.size()));
    ASSERT_TRUE(WaitUntil([&] { return m_driver->Written().size() == 4096 + big.size(); }));
    EXPECT_EQ(m_driver->Written().substr(4096), big);
}

TEST_F(SerialPortTest, AFullRingLeavesFurtherBytesInTheDriver)
{
    ASSERT_TRUE(Open());
    std::string arriving;
    for (int i = 0; i < 4100; ++i)
        arriving.push_back(static_cast<char>(i % 253));
    m_driver->Arrive(arriving);
    ASSERT_TRUE(WaitUntil([&] { return !m_port->IsReceiveEmpty() && m_driver->InputWaiting() == 4; }));
    // The ring holds the first 4096; the worker looks for room now and then
    // instead of spinning on the 4 it cannot take.
    LetWorkerCycle(1);
    const int waits = m_driver->WorkerWaits();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LT(m_driver->WorkerWaits() - waits, 100);
    EXPECT_EQ(m_driver->InputWaiting(), 4u) << "not lost: still in the driver";
    std::string read;
    for (int i = 0; i < 4096; ++i)
        read.push_back(m_port->ReadByte());
    EXPECT_EQ(read, arriving.substr(0, 4096));
    // Room again: the rest follows in order.
    for (int i = 0; i < 4; ++i)
        read.push_back(m_port->ReadByteTimeout(10000));
    EXPECT_EQ(read, arriving);
    EXPECT_EQ(m_port->ReadByte(), 0) << "an empty ring reads as 0";
    EXPECT_TRUE(m_port->IsReceiveEmpty());
}

TEST_F(SerialPortTest, EmptyingThePortReachesWhatAFullRingLeftInTheDriver)
{
    ASSERT_TRUE(Open());
    m_driver->Arrive(std::string(6000, 'g'));
    ASSERT_TRUE(WaitUntil([&] { return m_driver->InputWaiting() == 6000 - 4096; }));
    // The ring is full and the rest waits in the driver: the port is not
    // empty until that has come through as well.
    int taken = 0;
    while (!m_port->IsReceiveEmpty())
        taken += m_port->ReadByte() == 'g';
    EXPECT_EQ(taken, 6000);
    EXPECT_EQ(m_driver->InputWaiting(), 0u);
}

TEST_F(SerialPortTest, CloseReturnsWhileAFullRingHoldsTheDeviceBack)
{
    ASSERT_TRUE(Open());
    m_driver->Arrive(std::string(6000, 'g'));
    ASSERT_TRUE(WaitUntil([&] { return m_driver->InputWaiting() == 6000 - 4096; }));
    m_port->Close();
    EXPECT_EQ(m_driver->Calls().back(), "CloseHandle");
}

TEST_F(SerialPortTest, ReadByteTimeoutZeroReturnsAByteAlreadyThere)
{
    ASSERT_TRUE(Open());
    m_driver->Arrive("Q");
    ASSERT_TRUE(WaitUntil([&] { return !m_port->IsReceiveEmpty(); }));
    EXPECT_EQ(m_port->ReadByteTimeout(0), 'Q');
}

TEST_F(SerialPortTest, FailedWriteLosesItsByteAndTheRestFollows)
{
    ASSERT_TRUE(Open());
    m_driver->FailNextWrites(1);
    m_port->WriteString("abc");
    ASSERT_TRUE(WaitUntil([&] { return m_driver->Written() == "bc"; }));
}

TEST_F(SerialPortTest, PendingWritesCompleteAfterIncompleteWaits)
{
    ASSERT_TRUE(Open());
    m_driver->PendNextWrites(2, 3);
    m_port->WriteString("xyz");
    ASSERT_TRUE(WaitUntil([&] { return m_driver->Written() == "xyz"; }));
    // A pending write that fails loses its byte; the drain goes on.
    m_driver->PendNextWrites(1, 0, true);
    m_port->WriteString("123");
    ASSERT_TRUE(WaitUntil([&] { return m_driver->Written() == "xyz23"; }));
}

TEST_F(SerialPortTest, ReadFailuresEndThePassAndLaterCyclesResume)
{
    ASSERT_TRUE(Open());
    m_driver->FailNextReads(1);
    m_driver->PendNextReads(1, 2);
    m_driver->Arrive("hello");
    ASSERT_TRUE(WaitUntil([&] { return m_driver->InputWaiting() == 0; }));
    ASSERT_TRUE(WaitUntil([&] { return m_port->IsReceiveEmpty() == false; }));
    EXPECT_EQ(ReadAll(), "ello") << "the failed read loses its byte";

    m_driver->PendNextReads(1, 0, true);
    m_driver->Arrive("AB");
    ASSERT_TRUE(WaitUntil([&] { return m_driver->InputWaiting() == 0; }));
    ASSERT_TRUE(WaitUntil([&] { return !m_port->IsReceiveEmpty(); }));
    EXPECT_EQ(ReadAll(), "B");
}

TEST_F(SerialPortTest, WhatTheDriverHoldsMovesInOneRead)
{
    ASSERT_TRUE(Open());
    const std::string reply(3000, 'x');
    m_driver->Arrive(reply);
    ASSERT_TRUE(WaitUntil([&] { return m_driver->InputWaiting() == 0; }));
    EXPECT_EQ(m_driver->ReadCalls(), 1);
    std::string read(reply.size(), '\0');
    m_port->ReadBytesTimeout(read.data(), static_cast<int>(read.size()), 1000);
    EXPECT_EQ(read, reply);
    EXPECT_TRUE(m_port->IsReceiveEmpty());
}

TEST_F(SerialPortTest, CloseDropsQueuedBytes)
{
    m_driver->SetCts(false);
    ASSERT_TRUE(Open());
    m_port->WriteString("EXIT\n");
    m_port->Close();
    EXPECT_EQ(m_driver->WriteCalls(), 0);
    EXPECT_EQ(m_driver->Calls().back(), "CloseHandle");
}

TEST_F(SerialPortTest, CloseWithoutOpenIsHarmless)
{
    m_port->Close();
    m_port->Close();
    EXPECT_TRUE(m_driver->Calls().empty());
}

TEST_F(SerialPortTest, ReopenGivesAWorkingPortWithEmptyRings)
{
    ASSERT_TRUE(Open());
    m_driver->SetCts(false);
    m_port->WriteString("lost");
    m_driver->Arrive("stale");
    ASSERT_TRUE(WaitUntil([&] { return !m_port->IsReceiveEmpty(); }));
    m_port->Close();

    m_driver->SetCts(true);
    ASSERT_TRUE(Open());
    EXPECT_TRUE(m_port->IsReceiveEmpty());
    m_port->WriteString("new");
    ASSERT_TRUE(WaitUntil([&] { return m_driver->Written() == "new"; }));
    m_driver->Arrive("!");
    ASSERT_TRUE(WaitUntil([&] { return !m_port->IsReceiveEmpty(); }));
    EXPECT_EQ(ReadAll(), "!");
}

TEST_F(SerialPortTest, SecondOpenFailsAndLeavesThePortRunning)
{
    ASSERT_TRUE(Open());
    EXPECT_FALSE(Open());
    int opens = 0;
    for (const auto& call : m_driver->Calls())
        opens += call.rfind("CreateFile", 0) == 0;
    EXPECT_EQ(opens, 1);
    m_port->WriteString("ok");
    ASSERT_TRUE(WaitUntil([&] { return m_driver->Written() == "ok"; }));
    m_driver->Arrive("in");
    ASSERT_TRUE(WaitUntil([&] { return m_driver->InputWaiting() == 0; }));
    ASSERT_TRUE(WaitUntil([&] { return m_port->IsReceiveEmpty() == false; }));
}

TEST_F(SerialPortTest, CallsAfterAFailedOpenAreHarmless)
{
    m_driver->FailCreateFile();
    EXPECT_FALSE(Open());
    std::string big(10000, 'q');
    m_port->Write(big.data(), static_cast<int>(big.size()));  // must not wait for ever
    m_port->WriteString("Bluetooth Access Point?\n");
    EXPECT_EQ(m_port->ReadByte(), 0);
    EXPECT_TRUE(m_port->IsReceiveEmpty());
    EXPECT_THROW(m_port->ReadByteTimeout(5), int);
    m_port->Close();
    EXPECT_EQ(m_driver->WriteCalls(), 0);
}

TEST(SerialPortNeverOpened, WritesAndReadsAreHarmless)
{
    CSerialPort port(std::make_unique<CSimulatedPortDriver>());
    port.WriteString("EXIT\n");
    port.WriteByte('x');
    EXPECT_EQ(port.ReadByte(), 0);
    try {
        port.ReadByteTimeout(1);
        FAIL() << "no byte can come";
    } catch (int code) {
        EXPECT_EQ(code, 666);
    }
    port.Close();
}

}  // namespace
