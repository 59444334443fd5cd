#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "protocol/exchanges.h"
#include "serial/tick_count.h"
#include "serial/reply_readers.h"
#include "serial/serial_port.h"
#include "tests/support/simulated_port_test.h"
#include "tests/support/thrown.h"
#include "tests/support/wait_until.h"

// The exchanges while the device holds CTS off: a request that failed is never
// sent later, a write longer than the ring gives up with the reply time-out,
// and the worker sleeps.
namespace {

std::vector<LinkRecord> Devices(int count)
{
    std::vector<LinkRecord> devices(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        for (int b = 0; b < kAddressBytes; ++b)
            devices[static_cast<size_t>(i)].address[b] = static_cast<unsigned char>(i * 7 + b);
    return devices;
}

std::string DeletionRequest(const std::vector<LinkRecord>& devices)
{
    std::string bytes = kLinkDeleteCommand;
    bytes += static_cast<char>(devices.size() & 0xFF);
    bytes += static_cast<char>(devices.size() >> 8);
    for (const LinkRecord& device : devices)
        bytes.append(reinterpret_cast<const char*>(device.address), kAddressBytes);
    return bytes;
}

struct Request {
    const char* name;
    std::function<bool(CSerialPort*)> run;
    std::string bytes;
};

void PrintTo(const Request& request, std::ostream* os)
{
    *os << request.name;
}

std::vector<Request> Requests()
{
    return {
        {"PinChange", [](CSerialPort* port) { return ChangePin(port, "0000", "1111"); }, "PINUPDAT\n0000\n1111\n"},
        {"Rename", [](CSerialPort* port) { return ChangeDeviceName(port, "Hall"); }, "LNAMUPDAT\nHall\n"},
        {"Deletion", [](CSerialPort* port) { return DeletePairedDevices(port, Devices(2)); },
         DeletionRequest(Devices(2))},
    };
}

class CtsOff : public SimulatedPortTest<> {
protected:
    CtsOff()
    {
        m_driver->SetCts(false);
        EXPECT_TRUE(Open());
        SetReplyTimeout(kConversationTimeoutMs);
    }
    ~CtsOff() override
    {
        if (m_device.joinable())
            m_device.join();
        m_port->Close();
        CTickCount::SetSource(nullptr);
    }

    // The reply time-out passes a thousand times as fast.
    static void FastClock()
    {
        CTickCount::SetSource([] { return CTickCount::MonotonicMs() * 1000u; });
    }
    // Plays the device: "OK\n" once `request` has wholly arrived.
    void AnswerWhenSent(const std::string& request)
    {
        m_device = std::thread([this, size = request.size()] {
            if (WaitUntil([&] { return m_driver->Written().size() >= size; }))
                m_driver->Arrive(kOkReply);
        });
    }
    bool Purged() const
    {
        const auto calls = m_driver->Calls();
        return std::ranges::count(calls, "PurgeComm " + std::to_string(PURGE_TXABORT | PURGE_TXCLEAR)) != 0;
    }

    std::thread m_device;
};

class CtsOffRequest : public CtsOff, public testing::WithParamInterface<Request> {};

TEST_P(CtsOffRequest, AFailedRequestStaysUnsentAndTheNextOneWorks)
{
    const Request& request = GetParam();
    FastClock();
    EXPECT_EQ(Thrown([&] { request.run(m_port.get()); }), kReplyFailedCode);
    EXPECT_TRUE(Purged()) << "the driver's output was purged too";

    CTickCount::SetSource(nullptr);
    m_driver->SetCts(true);
    AnswerWhenSent(request.bytes);
    EXPECT_TRUE(request.run(m_port.get()));
    LetWorkerCycle();
    EXPECT_EQ(m_driver->Written(), request.bytes) << "only the second request went out";
}

INSTANTIATE_TEST_SUITE_P(Exchanges, CtsOffRequest, testing::ValuesIn(Requests()),
                         [](const testing::TestParamInfo<Request>& info) { return std::string(info.param.name); });

TEST_F(CtsOff, ALongWriteFailsWithTheReplyTimeoutThenGoesThroughWithCts)
{
    // 2 + 6n > 4096 bytes: more than the transmit ring holds.
    const std::vector<LinkRecord> devices = Devices(700);
    const std::string request = DeletionRequest(devices);
    ASSERT_GT(request.size(), static_cast<size_t>(CSerialPort::kRingCapacity));
    // Each look at the clock finds a second gone.
    uint32_t now = 0;
    int looks = 0;
    CTickCount::SetSource([&] {
        ++looks;
        return now += 1000;
    });
    EXPECT_EQ(Thrown([&] { DeletePairedDevices(m_port.get(), devices); }), CSerialPort::kReadTimeoutCode);
    const int secondsWaited = looks - 1;
    EXPECT_GT(secondsWaited, kConversationTimeoutMs / 1000) << "the write waited out the time-out";
    EXPECT_LE(secondsWaited, kConversationTimeoutMs / 1000 + 1) << "and no longer";
    EXPECT_TRUE(Purged());

    CTickCount::SetSource(nullptr);
    m_driver->SetCts(true);
    LetWorkerCycle();
    EXPECT_EQ(m_driver->Written(), "") << "the queued part of the failed deletion was dropped";
    AnswerWhenSent(request);
    EXPECT_TRUE(DeletePairedDevices(m_port.get(), devices));
    EXPECT_EQ(m_driver->Written(), request) << "the whole deletion went out once";
}

TEST_F(CtsOff, TheWorkerSleepsAfterAReplyLongerThanTheRing)
{
    // More than the ring holds: the reader wakes the worker for the rest.
    const std::string reply(CSerialPort::kRingCapacity + 1000, 'r');
    m_driver->Arrive(reply);
    // A full ring, the rest held back in the driver, before the reader starts.
    ASSERT_TRUE(WaitUntil([&] { return m_driver->InputWaiting() == reply.size() - CSerialPort::kRingCapacity; }));
    LetWorkerCycle(1);
    std::string read(reply.size(), '\0');
    ReadReplyBytes(m_port.get(), read.data(), static_cast<int>(read.size()));
    EXPECT_EQ(read, reply);

    // Nothing to send and CTS off: a worker period per wait, not a spin.
    const int waits = m_driver->WorkerWaits();
    const int looks = m_driver->ModemStatusReads();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LT(m_driver->WorkerWaits() - waits, 30);
    EXPECT_LT(m_driver->ModemStatusReads() - looks, 30);
}

}  // namespace
