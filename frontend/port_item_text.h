#pragma once

#include <string>
#include <vector>

#include "serial/port_list.h"

// How the port dialog and apctl name a port, in texts from the string table:
// "COM5 — CP2102 USB to UART Bridge Controller (/dev/ttyUSB0)", a link with
// where it points, the serial number where two listed ports would otherwise
// read alike; the system's own name where it has one ("USB Serial Device
// (COM5)").
class CPortItemText {
public:
    // One text per port, in the same order.
    static std::vector<std::string> Items(const std::vector<SerialPortRecord>& ports);
    static std::string Item(const SerialPortRecord& port, bool withSerial = false);
    // "COM5 (/dev/ttyUSB0)", or "COM5" where that is the device: a port as
    // the hints mention it.
    static std::string ShortName(const SerialPortRecord& port);
    // How messages about the chosen port name it: the system's own name,
    // else the short one.
    static std::string MessageName(const SerialPortRecord& port);
    // Manufacturer, serial number, ids and stable name of the port, and the
    // driver's device, as far as known; empty when nothing is.
    static std::string Details(const SerialPortRecord& port);
    // What the port is: the system's name, else its own or its kind's; empty
    // when none is known.
    static std::string Description(const SerialPortRecord& port);
    // What the port is, without the "(COM5)" the system's name ends with.
    static std::string Bare(const SerialPortRecord& port);

private:
    static std::string Name(const SerialPortRecord& port);
    static std::string Device(const SerialPortRecord& port);
};
