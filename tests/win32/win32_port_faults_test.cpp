// The engine over the Win32 driver over a model of Windows' serial driver:
// each row is one way a real port or adapter behaves that Wine over a pty
// cannot show, and what the program must make of it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "protocol/line_settings.h"
#include "serial/serial_port.h"
#include "serial/win32/win32_port_driver.h"
#include "tests/support/thrown.h"
#include "tests/support/wait_until.h"
#include "tests/win32/windows_serial_model.h"

namespace {

using ECall = CWindowsSerialModel::ECall;
constexpr int kPort = 7;
constexpr unsigned long kErrorInvalidParameter = 87;
constexpr unsigned long kErrorOperationAborted = 995;

struct SHarness {
    CWindowsSerialModel model{kPort};
    CWin32PortDriver* driver = nullptr;
    std::unique_ptr<CSerialPort> port;
    // As the port dialog hands it over: built from nothing.
    DCB wanted = AccessPointLineSettings();

    SHarness()
    {
        auto owned = std::make_unique<CWin32PortDriver>(model.Api());
        driver = owned.get();
        port = std::make_unique<CSerialPort>(std::move(owned));
    }
    ~SHarness() { port->Close(); }

    // One request and its reply, through the engine; true when the request
    // went out whole and the reply came back unchanged.
    bool Exchange(const std::string& request, const std::string& reply)
    {
        const std::string before = model.Sent();
        port->Write(request.data(), static_cast<int>(request.size()));
        if (!WaitUntil([&] { return model.Sent() == before + request; }))
            return false;
        model.Arrive(reply);
        std::string got(reply.size(), '\0');
        return Thrown([&] { port->ReadBytesTimeout(got.data(), static_cast<int>(got.size()), 5000); }) == 0 &&
               got == reply;
    }
    // Calls the idle worker makes on the system over about 300 ms.
    unsigned long IdleCalls()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const unsigned long start = model.Calls();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return model.Calls() - start;
    }
    DCB Applied() const
    {
        DCB applied{};
        EXPECT_TRUE(model.AppliedRecord(&applied, sizeof applied));
        return applied;
    }
};

// A generous bound: a polling worker makes thousands of calls in 300 ms,
// one that waits on events a handful per worker period.
constexpr unsigned long kIdleCallBound = 100;

void ExpectWorksAndIdles(SHarness& h)
{
    EXPECT_TRUE(h.Exchange("IDENTIFY\n", "OK\nAP\n"));
    EXPECT_LT(h.IdleCalls(), kIdleCallBound);
    EXPECT_TRUE(h.Exchange("NAME?\n", "OK\nx\n"));
    EXPECT_FALSE(h.driver->IsGone());
}

void ExpectGoneWith(SHarness& h, unsigned long error)
{
    ASSERT_TRUE(WaitUntil([&] { return h.driver->IsGone(); }));
    EXPECT_EQ(h.driver->LastError(), static_cast<int>(error));
    // Every later call fails at once.
    unsigned char byte = 0;
    uint32_t read = 99;
    OVERLAPPED unused;
    EXPECT_EQ(h.driver->ReadFile(0, &byte, 1, read, unused), EIoStart::Failed);
    EXPECT_EQ(h.driver->WriteFile(0, 'x', unused), EIoStart::Failed);
    EXPECT_EQ(h.driver->ClearCommError(0), 0);
    uint32_t status = 0;
    EXPECT_FALSE(h.driver->GetCommModemStatus(0, status));
    EXPECT_EQ(Thrown([&] { h.port->ReadByteTimeout(0); }), CSerialPort::kReadTimeoutCode);
    h.port->Close();
    EXPECT_FALSE(h.model.IsOpen());
}

struct SRow {
    const char* name;
    std::function<void(SHarness&)> before; // before Open
    std::function<void(SHarness&)> check;  // after Open
    bool opens = true;
};

void PrintTo(const SRow& row, std::ostream* out)
{
    *out << row.name;
}

void RemovalRow(SHarness& h, unsigned long error)
{
    EXPECT_TRUE(h.Exchange("IDENTIFY\n", "OK\n"));
    h.model.Remove(error);
    ExpectGoneWith(h, error);
}

const SRow kRows[] = {
    {"ForeignRecordIsMergedAndZeroBytesArrive",
     [](SHarness& h) {
         // Left by another program: drops 0x00, aborts on line errors,
         // X-on and X-off both 0, seven bits.
         DCB own{};
         own.BaudRate = 9600;
         own.ByteSize = 7;
         own.Flags = DCB::fNull | DCB::fAbortOnError | DCB::fDsrSensitivity | DCB::fErrorChar | DCB::fOutX |
                     (1u << 20);
         h.model.SetOwnRecord(&own, sizeof own);
     },
     [](SHarness& h) {
         EXPECT_EQ(h.model.RefusedStates(), 0);
         const DCB applied = h.Applied();
         EXPECT_EQ(applied.BaudRate, 115200u);
         EXPECT_EQ(applied.ByteSize, 8);
         EXPECT_EQ(applied.Parity, EVENPARITY);
         EXPECT_EQ(applied.StopBits, ONESTOPBIT);
         EXPECT_EQ(applied.XonChar, 0x11);
         EXPECT_EQ(applied.XoffChar, 0x13);
         // The access point's handshake, binary on, the harmful bits off,
         // everything else the port's own.
         EXPECT_EQ(applied.Flags, DCB::fBinary | DCB::fParity | DCB::fOutxCtsFlow | (1u << 4) | (1u << 12) |
                                      (1u << 20));
         EXPECT_TRUE(h.Exchange(std::string("LINKS\n"), std::string("OK\n\0\x01\0", 6)));
         h.model.LineError();
         EXPECT_TRUE(h.Exchange("NAME?\n", "OK\nname\n"));
         EXPECT_FALSE(h.driver->IsGone());
     }},
    {"RefusedRecordFailsTheOpenWithTheSystemsError",
     [](SHarness& h) { h.wanted.ByteSize = 9; },
     [](SHarness& h) {
         EXPECT_EQ(h.model.RefusedStates(), 1);
         EXPECT_EQ(h.driver->LastError(), static_cast<int>(kErrorInvalidParameter));
         EXPECT_FALSE(h.driver->IsGone());
         EXPECT_FALSE(h.model.IsOpen());
     },
     false},
    {"AsynchronousCompletionsDoNotSpin", [](SHarness& h) { h.model.CompleteLater(true); }, ExpectWorksAndIdles},
    {"EmptyReadsCompletingLaterWithoutCommEventsDoNotSpin",
     [](SHarness& h) {
         h.model.CompleteLater(true);
         h.model.SupportCommEvents(false);
     },
     ExpectWorksAndIdles},
    {"CommEventsUnsupportedFallsBackToTheBlockRead", [](SHarness& h) { h.model.SupportCommEvents(false); },
     ExpectWorksAndIdles},
    {"CommEventsAnnounceReceivedBytes", [](SHarness&) {},
     [](SHarness& h) {
         ExpectWorksAndIdles(h);
         EXPECT_GT(h.model.Calls(ECall::WaitCommEvent), 0u);
     }},
    {"NoModemLinesAtOpenIsAThreeWireLine",
     [](SHarness& h) {
         h.model.SetModemLines(false);
         h.model.SetCts(false);
     },
     [](SHarness& h) {
         // The access point's line all the same, while the port takes it.
         EXPECT_EQ(h.Applied().Parity, EVENPARITY);
         ExpectWorksAndIdles(h);
     }},
    {"LineWithoutModemLinesRefusingParityGetsTheLineWithoutIt",
     [](SHarness& h) {
         h.model.SetModemLines(false);
         h.model.RefuseParity(true);
     },
     [](SHarness& h) {
         EXPECT_EQ(h.Applied().Parity, NOPARITY);
         EXPECT_EQ(h.Applied().BaudRate, 115200u);
         ExpectWorksAndIdles(h);
     }},
    {"LineWithModemLinesRefusingParityFailsTheOpen",
     [](SHarness& h) { h.model.RefuseParity(true); },
     [](SHarness& h) {
         EXPECT_EQ(h.model.RefusedStates(), 1);
         EXPECT_EQ(h.driver->LastError(), 87); // ERROR_INVALID_PARAMETER
         EXPECT_FALSE(h.model.IsOpen()) << "a port the line cannot be set on is closed again";
     },
     false},
    {"ModemStatusFailingLaterWithRemovalMakesThePortGone", [](SHarness&) {},
     [](SHarness& h) {
         h.model.FailCall(ECall::GetCommModemStatus, 1167);
         h.port->WriteString("IDENTIFY\n");
         ExpectGoneWith(h, 1167);
         EXPECT_EQ(h.model.Sent(), "");
     }},
    {"ModemStatusFailingLaterIsAFaultNotCtsOn", [](SHarness&) {},
     [](SHarness& h) {
         h.model.FailCall(ECall::GetCommModemStatus, 1117);
         h.port->WriteString("IDENTIFY\n");
         ASSERT_TRUE(WaitUntil([&] { return h.driver->LastError() == 1117; }));
         std::this_thread::sleep_for(std::chrono::milliseconds(50));
         EXPECT_EQ(h.model.Sent(), "");
         EXPECT_FALSE(h.driver->IsGone());
     }},
    {"RemovalDeviceNotConnected", [](SHarness&) {}, [](SHarness& h) { RemovalRow(h, 1167); }},
    {"RemovalAccessDenied", [](SHarness&) {}, [](SHarness& h) { RemovalRow(h, 5); }},
    {"RemovalBadCommand", [](SHarness&) {}, [](SHarness& h) { RemovalRow(h, 22); }},
    {"RemovalGeneralFailure", [](SHarness&) {}, [](SHarness& h) { RemovalRow(h, 31); }},
    {"RemovalInvalidHandle", [](SHarness&) {}, [](SHarness& h) { RemovalRow(h, 6); }},
    {"RemovalAbortingWhatIsPending", [](SHarness&) {}, [](SHarness& h) { RemovalRow(h, kErrorOperationAborted); }},
    {"RemovalUnderTheBlockRead", [](SHarness& h) { h.model.SupportCommEvents(false); },
     [](SHarness& h) { RemovalRow(h, 1167); }},
    {"LineErrorAbortingTheBlockReadIsNotARemoval", [](SHarness& h) { h.model.SupportCommEvents(false); },
     [](SHarness& h) {
         // A port whose record keeps fAbortOnError (set by the driver alone,
         // before any record is applied): the line error aborts the pending
         // read, which is no removal.
         h.port->Close();
         DCB own = h.Applied();
         own.Flags |= DCB::fAbortOnError;
         h.model.SetOwnRecord(&own, sizeof own);
         CWin32PortDriver driver(h.model.Api());
         const HANDLE port = driver.CreateFile("COM7");
         ASSERT_NE(port, INVALID_HANDLE_VALUE);
         EXPECT_EQ(driver.ClearCommError(port), 0);
         h.model.LineError();
         EXPECT_TRUE(WaitUntil([&] { return driver.ClearCommError(port) == 0 && driver.LastError() != 0; }));
         EXPECT_EQ(driver.LastError(), static_cast<int>(kErrorOperationAborted));
         EXPECT_FALSE(driver.IsGone());
         h.model.Arrive("x");
         EXPECT_TRUE(WaitUntil([&] { return driver.ClearCommError(port) == 1; }));
         driver.CloseHandle(port);
     }},
    {"WriteHeldByCtsLetsReceivingGoOnAndIsPurged", [](SHarness&) {},
     [](SHarness& h) {
         // CTS drops just after the worker saw it on: the system holds the
         // write.
         h.model.FlipCtsAfterNextStatus(false);
         h.port->WriteString("LINKDEL\n");
         ASSERT_TRUE(WaitUntil([&] { return h.model.WriteHeld(); }));
         h.model.Arrive("late");
         char got[5] = {};
         EXPECT_EQ(Thrown([&] { h.port->ReadBytesTimeout(got, 4, 5000); }), 0);
         EXPECT_STREQ(got, "late");
         h.port->PurgeTransmit();
         EXPECT_FALSE(h.model.WriteHeld());
         h.model.SetCts(true);
         EXPECT_TRUE(h.Exchange("IDENTIFY\n", "OK\n"));
         EXPECT_EQ(h.model.Sent(), "IDENTIFY\n") << "nothing of the purged request went out";
         EXPECT_FALSE(h.driver->IsGone());
     }},
};

class Win32PortFaults : public testing::TestWithParam<SRow> {};

TEST_P(Win32PortFaults, EngineOverTheModel)
{
    SHarness h;
    GetParam().before(h);
    ASSERT_EQ(h.port->Open(kPort, &h.wanted), GetParam().opens);
    GetParam().check(h);
}

INSTANTIATE_TEST_SUITE_P(Rows, Win32PortFaults, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<SRow>& info) { return std::string(info.param.name); });

TEST(Win32PortFaultsOpen, MissingPortFailsWithTheSystemsError)
{
    SHarness h;
    EXPECT_FALSE(h.port->Open(kPort + 1, &h.wanted));
    EXPECT_EQ(h.driver->LastError(), 2); // ERROR_FILE_NOT_FOUND
}

} // namespace
