#include "tests/support/device_line.h"

#include "protocol/line_settings.h"

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "serial/posix/com_port_resolver.h"
#include "serial/tick_count.h"
#include "serial/serial_port.h"
#include "tests/support/wait_until.h"

// The program's port over the tty driver, with a look at its receive ring.
class CDeviceLine::CLinePort : public CSerialPort {
public:
    int Waiting() const { return m_receiveRing.GetCount(); }
    // The first byte through ReadByteTimeout, which looks at the clock, so
    // that a hold meets every read, also one whose bytes are there.
    void ReadBytesTimeout(char* buffer, int n, int ms) override
    {
        if (n <= 0)
            return;
        buffer[0] = ReadByteTimeout(ms);
        CSerialPort::ReadBytesTimeout(buffer + 1, n - 1, ms);
    }
};

CDeviceLine::CDeviceLine(AccessPointState state, FaultPlan faults, unsigned clockScale)
    : m_device(CAccessPointModel(std::move(state))), m_nClockScale(std::max(clockScale, 1u))
{
    try {
        m_device.SetFaults(std::move(faults));
        m_device.Start();
        char folder[] = "/tmp/apconfig-lineXXXXXX";
        if (!mkdtemp(folder))
            throw std::system_error(errno, std::system_category(), "mkdtemp");
        m_folder = folder;
        if (std::error_code error = m_device.LinkAsCom(m_folder, kComNumber))
            throw std::system_error(error, "link the device as COM" + std::to_string(kComNumber));
        m_previousFolder = CComPortResolver::DeviceFolder();
        CComPortResolver::SetDeviceFolder(m_folder);
        CTickCount::SetSource([this] { return Tick(); });
        m_port = std::make_unique<CLinePort>();
        const DCB settings = AccessPointLineSettings();
        if (!m_port->Open(kComNumber, &settings))
            throw std::runtime_error("the port to the simulated device did not open");
    } catch (...) {
        TearDown();
        throw;
    }
}

CDeviceLine::~CDeviceLine()
{
    TearDown();
}

void CDeviceLine::TearDown()
{
    ClosePort();
    m_port.reset();
    m_device.Stop();
    CTickCount::SetSource({});
    if (!m_previousFolder.empty())
        CComPortResolver::SetDeviceFolder(m_previousFolder);
    if (!m_folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
}

CSerialPort* CDeviceLine::Port() const
{
    return m_port.get();
}

void CDeviceLine::SetState(AccessPointState state)
{
    m_device.WithModel([&state](CAccessPointModel& model) { model.State() = std::move(state); });
}

void CDeviceLine::SetFaults(FaultPlan faults)
{
    m_device.SetFaults(std::move(faults));
}

void CDeviceLine::SetClockScale(unsigned scale)
{
    // A clock that stands still would let a late byte wait for ever.
    m_nClockScale = std::max(scale, 1u);
}

void CDeviceLine::HoldNextReadUntilWaiting(int count)
{
    m_nHoldUntil = count;
}

int CDeviceLine::Waiting() const
{
    return m_port ? m_port->Waiting() : 0;
}

void CDeviceLine::ClosePort()
{
    if (m_port)
        m_port->Close();
}

// Runs on the thread that reads replies, at the start of every timed read.
uint32_t CDeviceLine::Tick()
{
    const int hold = m_nHoldUntil.exchange(-1);
    if (hold >= 0)
        WaitUntil([this, hold] { return Waiting() >= hold; });
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    // Wraps like any tick count; only differences are used.
    return static_cast<uint32_t>(static_cast<uint64_t>(ms.count()) * m_nClockScale);
}

