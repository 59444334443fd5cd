// apctl over a line the test scripts: the port's own failures (refused
// settings, unplugged, CTS never on) are said in the port dialog's words,
// each with its exit status, on one line.
#include <gmock/gmock.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "cli/apctl.h"
#include "cli/port_choice.h"
#include "frontend/compose.h"
#include "frontend/port_string_ids.h"
#include "frontend/string_table.h"
#include "serial/serial_port.h"
#include "serial/system_error_text.h"
#include "serial/tick_count.h"
#include "tests/support/pty_pair.h"
#include "tests/support/simulated_port_driver.h"
#include "tests/support/unplug_on_write.h"

namespace {

// Counts the driver's opens before the engine, and the driver with it, goes.
class CCountingPort : public CSerialPort {
public:
    CCountingPort(std::unique_ptr<CSimulatedPortDriver> driver, int& opens)
        : CCountingPort(driver.get(), std::move(driver), opens)
    {
    }
    ~CCountingPort() override
    {
        Close();
        m_opens = m_pSimulated->CreateFileCalls();
    }

private:
    // The reference moves nothing until the base takes the driver.
    CCountingPort(CSimulatedPortDriver* simulated, std::unique_ptr<CSimulatedPortDriver>&& driver, int& opens)
        : CSerialPort(std::move(driver)), m_pSimulated(simulated), m_opens(opens)
    {
    }

    CSimulatedPortDriver* m_pSimulated;
    int& m_opens;
};

class CScriptedApctl : public CApctl {
public:
    CScriptedApctl(std::FILE* err, std::function<std::unique_ptr<CSimulatedPortDriver>()> makeDriver)
        : CApctl(stdout, false, err, false), m_makeDriver(std::move(makeDriver))
    {
    }
    // Opens of the port the run asked the driver for; -1 before it ends.
    int m_nOpens = -1;

protected:
    std::unique_ptr<CSerialPort> CreatePort() override
    {
        return std::make_unique<CCountingPort>(m_makeDriver(), m_nOpens);
    }

private:
    std::function<std::unique_ptr<CSimulatedPortDriver>()> m_makeDriver;
};

std::string Text(int id, std::initializer_list<std::string_view> args)
{
    return Compose(CStringTable::LoadString(id), args);
}

TEST(ApctlPortFault, EachFailureOfThePortIsSaidWithItsExitStatus)
{
    ASSERT_TRUE(CStringTable::Load());
    struct Row {
        const char* what;
        std::function<std::unique_ptr<CSimulatedPortDriver>()> makeDriver;
        int exitCode;
        std::function<std::string(const std::string& port)> line;
    };
    const Row rows[] = {
        {"refused settings",
         [] {
             auto d = std::make_unique<CSimulatedPortDriver>();
             d->RefuseSettings(EINVAL);
             return d;
         },
         CApctl::kPortUnusable,
         [](const std::string& port) { return Text(IDS_PORT_SETTINGS_REFUSED, {port, SystemErrorText(EINVAL)}); }},
        {"unplugged during the question", [] { return std::make_unique<CUnplugOnWrite>(); }, CApctl::kPortUnusable,
         [](const std::string& port) { return Text(IDS_PORT_GONE, {port}); }},
        {"CTS never on",
         [] {
             auto d = std::make_unique<CSimulatedPortDriver>();
             d->SetCts(false);
             return d;
         },
         CApctl::kNoAnswer, [](const std::string& port) { return Text(IDS_CTS_NEVER_ON, {port}); }},
        {"no answer with CTS on", [] { return std::make_unique<CSimulatedPortDriver>(); }, CApctl::kNoAnswer,
         [](const std::string& port) { return "no access point answered on " + port; }},
    };
    CPtyPair pty(7);
    // Each byte's ten seconds pass in a hundredth of the time.
    CTickCount::SetSource([] { return CTickCount::MonotonicMs() * 100; });
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        char* text = nullptr;
        size_t size = 0;
        std::FILE* err = open_memstream(&text, &size);
        ASSERT_NE(err, nullptr);
        CScriptedApctl apctl(err, row.makeDriver);
        ApctlOptions options;
        options.port = "COM7";
        const int exitCode = apctl.Run(options);
        std::fclose(err);
        const std::string said(text, size);
        std::free(text);
        EXPECT_EQ(exitCode, row.exitCode);
        EXPECT_EQ(apctl.m_nOpens, 1) << "opened once";
        // The port as the chooser names it: "COM7 (...)".
        EXPECT_EQ(said, "apctl: " + row.line(CPortChooser::Choose("COM7").name) + "\n");
    }
    CTickCount::SetSource({});
}

}  // namespace
