#pragma once

#include <string>
#include <vector>

#include "serial/posix/com_port_numbers.h"

// How the port dialog names a port, in texts from the string table:
// "COM5 — CP2102 USB to UART Bridge Controller (/dev/ttyUSB0)", a link with
// where it points, and the serial number where two listed ports would
// otherwise read alike.
class CPortItemText {
public:
    // One text per port, in the same order.
    static std::vector<std::string> Items(const std::vector<NumberedPort>& ports);
    static std::string Item(const NumberedPort& port, bool withSerial);
    // "COM5 (/dev/ttyUSB0)": a port as the hints mention it.
    static std::string ShortName(const NumberedPort& port);
    // Manufacturer, serial number, ids and stable name of the port, as far
    // as known; empty when nothing is.
    static std::string Details(const SerialPortInfo& port);
    // What the port is: its name, else its kind; empty when neither is known.
    static std::string Description(const SerialPortInfo& port) { return Name(port); }

private:
    static std::string Name(const SerialPortInfo& port);
    static std::string Device(const SerialPortInfo& port);
};
