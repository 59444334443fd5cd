#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "serial/posix/serial_port_info.h"

struct NumberedPort {
    int number;
    SerialPortInfo info;
};

// The ports as the user picks them: numbered, in ascending order, and those
// that found no number.
struct NumberedPorts {
    std::vector<NumberedPort> ports;
    std::vector<SerialPortInfo> leftOut;
};

// Gives the machine's serial ports COM numbers from 4 to 20, and keeps each
// number for its device for as long as the object lives (a run of the
// program): a comN link keeps N; a UART ttyS(k) keeps k+1; every other port
// takes the lowest free number, new ports in the order of their by-id names
// (else their sysfs paths). A number once given is never given to another
// device, even after its own has gone.
class CComPortNumbers {
public:
    static constexpr int kFirst = 4;
    static constexpr int kLast = 20;

    NumberedPorts Assign(const std::vector<SerialPortInfo>& ports);

private:
    static std::string Identity(const SerialPortInfo& port);
    static std::string OrderKey(const SerialPortInfo& port);
    int Known(const SerialPortInfo& port);
    bool Take(int number, const SerialPortInfo& port);

    std::map<std::string, int> m_byIdentity;
    // A port first seen before udev gave it a by-id name keeps its number.
    std::map<std::string, int> m_bySysfsPath;
    std::set<int> m_taken;
};
