#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "serial/dcb.h"
#include "tools/apsim/pty_access_point.h"

class CSerialPort;

// A simulated access point on a pty, reached the way the program reaches a
// real one: a CSerialPort over the tty driver, opened as "COM5" from a
// temporary device folder with the program's 115200 8E1 line settings.
// Everything is undone on destruction. One line per process at a time: the
// port resolver's folder and the tick source are process-wide.
class CDeviceLine {
public:
    static constexpr int kComNumber = 5;

    // Throws std::system_error when the pty or its link cannot be had and
    // std::runtime_error when the port does not open.
    explicit CDeviceLine(AccessPointState state = {}, FaultPlan faults = {}, unsigned clockScale = 1);
    ~CDeviceLine();
    CDeviceLine(const CDeviceLine&) = delete;
    CDeviceLine& operator=(const CDeviceLine&) = delete;

    // The port as the program's dialogs borrow it.
    CSerialPort* Port() const;
    CPtyAccessPoint& Device() { return m_device; }
    const std::string& DeviceFolder() const { return m_folder; }

    // Meant for between exchanges.
    void SetState(AccessPointState state);
    void SetFaults(FaultPlan faults);
    // The port's millisecond clock runs `scale` times real time, so reply
    // time-outs pass that much sooner; 1 (or 0) is real time.
    void SetClockScale(unsigned scale);
    // The next timed read first waits (a few seconds at most) until `count`
    // bytes have been received and not yet read: what happens to a reply that
    // has wholly arrived, free of any race with the line.
    void HoldNextReadUntilWaiting(int count);
    // Bytes received by the port and not yet read.
    int Waiting() const;

    // Closes the port early; the destructor does it otherwise. Safe to repeat.
    void ClosePort();


private:
    class CLinePort;

    uint32_t Tick();
    void TearDown();

    CPtyAccessPoint m_device;
    std::string m_folder;
    std::string m_previousFolder;
    std::unique_ptr<CLinePort> m_port;
    std::atomic<unsigned> m_nClockScale;
    std::atomic<int> m_nHoldUntil{-1};
};
