#pragma once

#include <atomic>
#include <cstddef>

#include "serial/serial_port.h"

class CCountingPortDriver;

// The program's port over the tty driver, with a look at its receive ring and
// at what the driver delivered. The next timed read can be held back until a
// reply has reached the host, so what happens to it does not depend on how
// fast the reader was.
class CWatchedPort : public CSerialPort {
public:
    CWatchedPort();

    // The next timed read first waits (ten seconds at most) until `bytes`
    // more are in the receive ring, or the ring is full and the worker left
    // the rest in the driver.
    void HoldNextRead(size_t bytes);
    // Whether the last hold saw all it waited for.
    bool HoldWasMet() const { return m_bHoldMet; }
    // Bytes in the receive ring when the last hold let the read go.
    int WaitingAtRelease() const { return m_nWaitingAtRelease; }
    // Bytes received and not yet read.
    int Waiting() const { return m_receiveRing.GetCount(); }
    // Bytes the driver has handed the engine since the port was opened.
    size_t Delivered() const;
    // Waits (ten seconds at most) until the receive ring is full and the
    // worker has left further bytes in the driver.
    bool WaitForFullRing() const;
    // The adapter is pulled out; see CCountingPortDriver::Unplug.
    void Unplug();

    char ReadByteTimeout(int ms) override;
    // The first byte through ReadByteTimeout, so that a hold meets it.
    void ReadBytesTimeout(char* buffer, int n, int ms) override;

private:
    explicit CWatchedPort(CCountingPortDriver* driver);

    CCountingPortDriver* m_pCounter;
    std::atomic<bool> m_bHeld{false};
    size_t m_nHoldTarget = 0;
    bool m_bHoldMet = false;
    int m_nWaitingAtRelease = -1;
};
