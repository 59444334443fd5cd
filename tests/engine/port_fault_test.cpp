#include "serial/serial_port.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "serial/reply_wait_hook.h"
#include "serial/tick_count.h"
#include "tests/support/simulated_port_test.h"
#include "tests/support/thrown.h"
#include "tests/support/wait_until.h"

// A port that fails: an open the system refuses, an adapter pulled out while
// the program waits, a line whose CTS never comes on, and the hook the
// waiting thread runs meanwhile.
namespace {

constexpr int kTimeout = CSerialPort::kReadTimeoutCode;

class PortFaultTest : public SimulatedPortTest<> {
protected:
    ~PortFaultTest() override
    {
        // Closed before the hook and the clock go back: the worker uses them.
        m_port->Close();
        SetReplyWaitHook(nullptr);
        CTickCount::SetSource({});
    }
    // The clock stands still: a wait that is not ended by the port never
    // ends by time, so only a gone port can have ended it.
    static void StopClock()
    {
        CTickCount::SetSource([] { return 1000u; });
    }
    bool CallsInclude(const std::string& call) const
    {
        const auto calls = m_driver->Calls();
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
    // Runs body(row, port, driver) for each row on a port and driver of its
    // own, until a row fails fatally.
    template <typename Row, size_t N, typename Body>
    void ForEachOnOwnPort(const Row (&rows)[N], Body body)
    {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.what);
            auto driver = std::make_unique<CSimulatedPortDriver>();
            CSimulatedPortDriver& d = *driver;
            CSerialPort port(std::move(driver));
            body(row, port, d);
            if (HasFatalFailure())
                return;
        }
    }
};

// Set by the waiting thread's hook: it has begun to sleep.
std::atomic<int> g_hookCalls{0};
void CountHookCall()
{
    ++g_hookCalls;
}

TEST_F(PortFaultTest, OpenSaysWhyItFailedAndTheObjectOpensAgain)
{
    struct Row {
        const char* what;
        std::function<void(CSimulatedPortDriver&)> script;
        CSerialPort::EOpenFailure failure;
        int error;
    };
    const Row rows[] = {
        {"absent", [](CSimulatedPortDriver& d) { d.FailCreateFile(2); }, CSerialPort::EOpenFailure::CannotOpen, 2},
        {"refused settings", [](CSimulatedPortDriver& d) { d.RefuseSettings(87); },
         CSerialPort::EOpenFailure::SettingsRefused, 87},
    };
    ForEachOnOwnPort(rows, [this](const Row& row, CSerialPort& port, CSimulatedPortDriver& d) {
        row.script(d);
        EXPECT_FALSE(port.Open(7, &m_settings));
        EXPECT_EQ(port.OpenFailure(), row.failure);
        EXPECT_EQ(port.OpenError(), row.error);
        const auto calls = d.Calls();
        // Closed again at once, and no worker: nothing purged, no DTR.
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "CloseHandle"),
                  row.failure == CSerialPort::EOpenFailure::SettingsRefused ? 1 : 0);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "SetDtr"), 0);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "PurgeComm 15"), 0);
        port.Close();
    });
    // Once the port takes the settings, the same object opens.
    m_driver->RefuseSettings(87);
    EXPECT_FALSE(Open());
    m_port->Close();
    m_driver->RefuseSettings(0);
    ASSERT_TRUE(Open());
    EXPECT_EQ(m_port->OpenFailure(), CSerialPort::EOpenFailure::None);
    EXPECT_EQ(m_port->OpenError(), 0);
    EXPECT_EQ(m_driver->CreateFileCalls(), 2);
}

// Every wait on the port ends with the time-out code once it is gone, with
// the clock standing still: none waits out its time.
TEST_F(PortFaultTest, AnUnpluggedPortEndsEveryWaitAtOnce)
{
    struct Row {
        const char* what;
        std::function<void(CSerialPort&, CSimulatedPortDriver&)> prepare;
        std::function<void(CSerialPort&)> wait;
    };
    const Row rows[] = {
        {"a timed read", [](CSerialPort&, CSimulatedPortDriver&) {},
         [](CSerialPort& p) { p.ReadByteTimeout(10000); }},
        {"a read of several bytes", [](CSerialPort&, CSimulatedPortDriver&) {},
         [](CSerialPort& p) {
             char bytes[4];
             p.ReadBytesTimeout(bytes, 4, 10000);
         }},
        {"a write into a full ring",
         [](CSerialPort& p, CSimulatedPortDriver& d) {
             d.SetCts(false);
             const std::string full(CSerialPort::kRingCapacity, 'x');
             p.Write(full.data(), static_cast<int>(full.size()));
         },
         [](CSerialPort& p) { p.WriteByte('y'); }},
    };
    StopClock();
    SetReplyWaitHook(&CountHookCall);
    ForEachOnOwnPort(rows, [this](const Row& row, CSerialPort& port, CSimulatedPortDriver& d) {
        ASSERT_TRUE(port.Open(7, &m_settings));
        row.prepare(port, d);
        g_hookCalls = 0;
        auto waiting = std::async(std::launch::async, [&] { return Thrown([&] { row.wait(port); }); });
        // Pulled out while the wait sleeps.
        ASSERT_TRUE(WaitUntil([] { return g_hookCalls.load() > 0; }));
        EXPECT_FALSE(port.IsGone());
        d.Unplug(1167);
        ASSERT_EQ(waiting.wait_for(std::chrono::seconds(30)), std::future_status::ready) << "still waiting";
        EXPECT_EQ(waiting.get(), kTimeout);
        EXPECT_TRUE(port.IsGone());
        // Later waits end at once as well; dropping the request waits for
        // no worker.
        EXPECT_EQ(Thrown([&] { port.ReadByteTimeout(10000); }), kTimeout);
        port.PurgeTransmit();
        port.Close();
        EXPECT_TRUE(port.IsGone()) << "still known after Close, for the message";
    });
}

TEST_F(PortFaultTest, BytesReceivedBeforeThePortWentAreStillRead)
{
    StopClock();
    ASSERT_TRUE(Open());
    m_driver->Arrive("AB");
    ASSERT_TRUE(WaitUntil([&] { return m_driver->InputWaiting() == 0; }));
    m_driver->Unplug(1167);
    ASSERT_TRUE(WaitUntil([&] { return m_port->IsGone(); }));
    EXPECT_EQ(m_port->ReadByteTimeout(10000), 'A');
    EXPECT_EQ(m_port->ReadByteTimeout(10000), 'B');
    EXPECT_EQ(Thrown([&] { m_port->ReadByteTimeout(10000); }), kTimeout);
    // The worker has stopped looking at the port.
    const int reads = m_driver->ModemStatusReads();
    m_port->WriteString("more");
    m_port->Close();
    EXPECT_EQ(m_driver->ModemStatusReads(), reads);
    EXPECT_EQ(m_driver->Written(), "");
}

TEST_F(PortFaultTest, ReopeningAfterThePortWasGoneStartsAfresh)
{
    ASSERT_TRUE(Open());
    m_driver->Unplug(1167);
    ASSERT_TRUE(WaitUntil([&] { return m_port->IsGone(); }));
    m_port->Close();
    ASSERT_TRUE(Open());
    EXPECT_FALSE(m_port->IsGone());
    m_port->WriteString("Q");
    EXPECT_TRUE(WaitUntil([&] { return m_driver->Written() == "Q"; }));
    m_driver->Arrive("A");
    EXPECT_EQ(m_port->ReadByteTimeout(10000), 'A');
}

// CTS as the engine saw it while the request waited to go out.
TEST_F(PortFaultTest, CtsNeverOnOnlyWhenBytesWaitedAndCtsStayedOff)
{
    struct Row {
        const char* what;
        std::function<void(CSerialPort&, CSimulatedPortDriver&)> run;
        bool neverOn;
    };
    const auto sendWithCts = [](bool cts) {
        return [cts](CSerialPort& p, CSimulatedPortDriver& d) {
            d.SetCts(cts);
            const int reads = d.ModemStatusReads();
            p.WriteString("Q");
            ASSERT_TRUE(WaitUntil([&] { return d.ModemStatusReads() >= reads + 3 || d.Written() == "Q"; }));
        };
    };
    const Row rows[] = {
        {"CTS off throughout", sendWithCts(false), true},
        {"CTS on", sendWithCts(true), false},
        {"nothing to send", [](CSerialPort&, CSimulatedPortDriver& d) { d.SetCts(false); }, false},
        {"CTS came on later",
         [&](CSerialPort& p, CSimulatedPortDriver& d) {
             sendWithCts(false)(p, d);
             d.SetCts(true);
             ASSERT_TRUE(WaitUntil([&] { return d.Written() == "Q"; }));
         },
         false},
    };
    ForEachOnOwnPort(rows, [this](const Row& row, CSerialPort& port, CSimulatedPortDriver& d) {
        ASSERT_TRUE(port.Open(7, &m_settings));
        row.run(port, d);
        EXPECT_EQ(port.CtsNeverOn(), row.neverOn);
        port.Close();
        // A new Open forgets what the last one saw.
        d.SetCts(true);
        ASSERT_TRUE(port.Open(7, &m_settings));
        EXPECT_FALSE(port.CtsNeverOn());
        port.Close();
    });
}

// The hook runs on the waiting thread while it waits, and not when the byte
// or the room is there already.
TEST_F(PortFaultTest, TheWaitHookRunsOnlyWhileAReadOrWriteWaits)
{
    static CSimulatedPortDriver* s_driver;
    s_driver = m_driver;
    ASSERT_TRUE(Open());
    StopClock();

    // The third call delivers the byte the read waits for.
    SetReplyWaitHook([] {
        if (++g_hookCalls == 3)
            s_driver->Arrive("X");
    });
    g_hookCalls = 0;
    EXPECT_EQ(m_port->ReadByteTimeout(10000), 'X');
    EXPECT_GE(g_hookCalls.load(), 3);

    m_driver->Arrive("Y");
    ASSERT_TRUE(WaitUntil([&] { return !m_port->IsReceiveEmpty(); }));
    g_hookCalls = 0;
    EXPECT_EQ(m_port->ReadByteTimeout(10000), 'Y');
    EXPECT_EQ(g_hookCalls.load(), 0) << "the byte was there";

    // A write into a full ring: the first call lets CTS come on.
    m_driver->SetCts(false);
    const std::string full(CSerialPort::kRingCapacity, 'x');
    g_hookCalls = 0;
    m_port->Write(full.data(), static_cast<int>(full.size()));
    EXPECT_EQ(g_hookCalls.load(), 0) << "the ring had room";
    SetReplyWaitHook([] {
        if (++g_hookCalls == 1)
            s_driver->SetCts(true);
    });
    m_port->WriteByte('y');
    EXPECT_GE(g_hookCalls.load(), 1);
    EXPECT_TRUE(WaitUntil([&] { return m_driver->Written().size() == full.size() + 1; }));
}

}  // namespace
