#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "serial/serial_port.h"
#include "tests/support/simulated_port_driver.h"
#include "tests/support/wait_until.h"

// A port over the simulated driver, closed after each test. Port is the
// engine or a class derived from it; the fixture's arguments go to its
// constructor ahead of the driver.
template <typename Port = CSerialPort>
class SimulatedPortTest : public testing::Test {
protected:
    template <typename... BeforeDriver>
    explicit SimulatedPortTest(BeforeDriver&&... beforeDriver)
    {
        auto driver = std::make_unique<CSimulatedPortDriver>();
        m_driver = driver.get();
        m_port = std::make_unique<Port>(std::forward<BeforeDriver>(beforeDriver)..., std::move(driver));
    }
    ~SimulatedPortTest() override { m_port->Close(); }

    bool Open() { return m_port->Open(7, &m_settings); }
    // Lets the worker run a few cycles, so "nothing happened" means something.
    void LetWorkerCycle(int cycles = 3)
    {
        const int start = m_driver->WorkerWaits();
        ASSERT_TRUE(WaitUntil([&] { return m_driver->WorkerWaits() >= start + cycles; }));
    }

    DCB m_settings;
    CSimulatedPortDriver* m_driver;
    std::unique_ptr<Port> m_port;
};
