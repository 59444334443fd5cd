#include "tests/faults/watched_port.h"

#include <memory>

#include "tests/faults/counting_port_driver.h"
#include "tests/support/wait_until.h"

CWatchedPort::CWatchedPort() : CWatchedPort(new CCountingPortDriver) {}

CWatchedPort::CWatchedPort(CCountingPortDriver* driver)
    : CSerialPort(std::unique_ptr<IPortDriver>(driver)), m_pCounter(driver)
{
}

size_t CWatchedPort::Delivered() const
{
    return m_pCounter->Delivered();
}

bool CWatchedPort::WaitForFullRing() const
{
    return WaitUntil([this] { return Waiting() == kRingCapacity && m_nReceiveHeldBack.load() != 0; });
}

void CWatchedPort::Unplug()
{
    m_pCounter->Unplug();
}

void CWatchedPort::HoldNextRead(size_t bytes)
{
    m_nHoldTarget = Delivered() + bytes;
    m_bHeld = true;
}

char CWatchedPort::ReadByteTimeout(int ms)
{
    if (m_bHeld.exchange(false)) {
        m_bHoldMet = WaitUntil([this] {
            return Delivered() >= m_nHoldTarget || (Waiting() == kRingCapacity && m_nReceiveHeldBack.load() != 0);
        });
        m_nWaitingAtRelease = Waiting();
    }
    return CSerialPort::ReadByteTimeout(ms);
}

void CWatchedPort::ReadBytesTimeout(char* buffer, int n, int ms)
{
    if (n <= 0)
        return;
    buffer[0] = ReadByteTimeout(ms);
    CSerialPort::ReadBytesTimeout(buffer + 1, n - 1, ms);
}
