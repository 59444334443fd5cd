#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include "serial/posix/posix_port_driver.h"
#include "tests/support/pty_pair.h"
#include "tests/support/wait_until.h"

// The tty driver's own queues, on a pty whose other end the test plays: what
// the engine writes a byte per call leaves in one piece, and what a reply
// brings is read in blocks and handed out a byte at a time.
namespace {
constexpr int kCom = 8;

class DriverQueues : public testing::Test {
protected:
    DriverQueues() : m_pty(kCom) { m_port = m_driver.CreateFile("COM8"); }
    ~DriverQueues() override
    {
        if (m_port != INVALID_HANDLE_VALUE)
            m_driver.CloseHandle(m_port);
    }

    void WriteAll(const std::string& bytes)
    {
        for (char byte : bytes)
            ASSERT_EQ(m_driver.WriteFile(m_port, static_cast<unsigned char>(byte), m_overlapped), EIoStart::Done);
    }
    // Waits (boundedly) until the driver reports `count` received bytes.
    bool Waiting(int count)
    {
        return WaitUntil([&] { return m_driver.ClearCommError(m_port) >= count; });
    }
    // Up to count bytes, each read asking for all that are still wanted;
    // reads counts the calls.
    std::string ReadAll(int count, int* reads = nullptr)
    {
        std::string bytes(static_cast<size_t>(count), '\0');
        uint32_t got = 0;
        size_t done = 0;
        for (int calls = 1; done < bytes.size(); ++calls) {
            auto* at = reinterpret_cast<unsigned char*>(bytes.data() + done);
            if (m_driver.ReadFile(m_port, at, static_cast<uint32_t>(bytes.size() - done), got, m_overlapped) !=
                    EIoStart::Done ||
                got == 0)
                break;
            done += got;
            if (reads)
                *reads = calls;
        }
        bytes.resize(done);
        return bytes;
    }
    EIoStart ReadOne()
    {
        unsigned char byte = 0;
        uint32_t got = 0;
        return m_driver.ReadFile(m_port, &byte, 1, got, m_overlapped);
    }
    int LeftInTty()
    {
        int waiting = -1;
        ioctl(static_cast<int>(m_port), FIONREAD, &waiting);
        return waiting;
    }

    CPtyPair m_pty;
    CPosixPortDriver m_driver;
    OVERLAPPED m_overlapped;
    HANDLE m_port = INVALID_HANDLE_VALUE;
};

TEST_F(DriverQueues, WrittenBytesLeaveInOrderAtTheNextLookAndAPurgeDropsThem)
{
    ASSERT_NE(m_port, INVALID_HANDLE_VALUE);
    WriteAll("PINUPDAT\n0000\n");
    WriteAll("0000\n");
    m_driver.ClearCommError(m_port);
    EXPECT_EQ(m_pty.Receive(19), "PINUPDAT\n0000\n0000\n");

    WriteAll("dropped");
    m_driver.PurgeComm(m_port, PURGE_TXABORT | PURGE_TXCLEAR);
    WriteAll("EXIT\n");
    uint32_t status = 0;
    m_driver.GetCommModemStatus(m_port, status);
    EXPECT_EQ(m_pty.Receive(5), "EXIT\n") << "purged bytes never reach the line";
}

TEST_F(DriverQueues, QueuedBytesGoOutBeforeAWaitAndOnClose)
{
    CManualResetEvent stop, transmit;
    CManualResetEvent* events[2] = {&stop, &transmit};
    WriteAll("LNAMREAD\n");
    EXPECT_EQ(m_driver.WaitForMultipleObjects(events, 0, true), WAIT_TIMEOUT);
    EXPECT_EQ(m_pty.Receive(9), "LNAMREAD\n");

    WriteAll("EXIT\n");
    m_driver.CloseHandle(m_port);
    m_port = INVALID_HANDLE_VALUE;
    EXPECT_EQ(m_pty.Receive(5), "EXIT\n");
}

TEST_F(DriverQueues, AShortReplyIsTakenInOneReadAndHandedOutAsAskedFor)
{
    m_pty.Send("OK\napsim\n");
    ASSERT_TRUE(Waiting(9));
    EXPECT_EQ(ReadAll(1), "O");
    EXPECT_EQ(LeftInTty(), 0) << "the rest was read along with the first byte";
    EXPECT_EQ(m_driver.ClearCommError(m_port), 8);
    int reads = 0;
    EXPECT_EQ(ReadAll(8, &reads), "K\napsim\n");
    EXPECT_EQ(reads, 1) << "what the driver holds moves in one read";
    EXPECT_EQ(m_driver.ClearCommError(m_port), 0);
    EXPECT_EQ(ReadOne(), EIoStart::Pending) << "nothing left anywhere";
}

TEST_F(DriverQueues, ALongReplyIsTakenInBlocksAndHandedOutInOrder)
{
    std::string reply;
    for (int i = 0; i < 3000; ++i)
        reply.push_back(static_cast<char>(i * 7));
    m_pty.Send(reply);
    ASSERT_TRUE(Waiting(3000));
    EXPECT_EQ(ReadAll(1), reply.substr(0, 1));
    EXPECT_EQ(LeftInTty(), 0) << "one read took all the tty held";
    EXPECT_EQ(m_driver.ClearCommError(m_port), 2999);
    std::string rest;
    while (rest.size() < 2999 && Waiting(1))
        rest += ReadAll(1);
    EXPECT_EQ(rest, reply.substr(1));
}

TEST_F(DriverQueues, APurgeDropsReceivedBytesAlreadyQueued)
{
    m_pty.Send("stale");
    ASSERT_TRUE(Waiting(5));
    EXPECT_EQ(ReadAll(1), "s");
    m_driver.PurgeComm(m_port, PURGE_RXABORT | PURGE_RXCLEAR);
    EXPECT_EQ(m_driver.ClearCommError(m_port), 0);
    m_pty.Send("OK\n");
    ASSERT_TRUE(Waiting(3));
    EXPECT_EQ(ReadAll(3), "OK\n");
}

TEST_F(DriverQueues, AfterAHangUpWritesFailAndQueuedReplyBytesStillArrive)
{
    m_pty.Send("OK\n");
    ASSERT_TRUE(Waiting(3));
    EXPECT_EQ(ReadAll(1), "O");
    m_pty.HangUp();
    EXPECT_EQ(ReadAll(2), "K\n") << "bytes the driver holds are not lost with the line";
    EXPECT_EQ(ReadOne(), EIoStart::Failed);
    EXPECT_EQ(m_driver.WriteFile(m_port, 'x', m_overlapped), EIoStart::Failed);
    EXPECT_EQ(m_driver.ClearCommError(m_port), 0);
}
}  // namespace
