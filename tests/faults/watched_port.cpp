#include "tests/faults/watched_port.h"

#include <algorithm>
#include <memory>

#include "tests/faults/counting_port_driver.h"
#include "tests/support/wait_until.h"

CWatchedPort::CWatchedPort() : CWatchedPort(new CCountingPortDriver) {}

CWatchedPort::CWatchedPort(CCountingPortDriver* driver)
    : CSerialPort(std::unique_ptr<IPortDriver>(driver)), m_pCounter(driver)
{
}

void CWatchedPort::HoldNextRead(size_t bytes)
{
    m_nHoldTarget = m_pCounter->Delivered() + bytes;
    // What the ring will hold once the bytes are in: it keeps no more than
    // its capacity and drops the rest.
    m_nHoldRing = static_cast<int>(std::min(static_cast<size_t>(Waiting()) + bytes, size_t{kRingCapacity}));
    m_bHeld = true;
}

char CWatchedPort::ReadByteTimeout(int ms)
{
    if (m_bHeld.exchange(false)) {
        m_bHoldMet =
            WaitUntil([this] { return m_pCounter->Delivered() >= m_nHoldTarget && Waiting() >= m_nHoldRing; });
        m_nWaitingAtRelease = Waiting();
    }
    return CSerialPort::ReadByteTimeout(ms);
}
