#pragma once

#include <string>
#include <vector>

#include "serial/win32/com_port_list.h"

// Windows gives its ports their COM numbers: a port as listed is numbered.
using NumberedPort = ComPortEntry;

// How a port is named for the user: the device manager's friendly name
// ("USB Serial Device (COM5)"), else its COM name.
class CPortItemText {
public:
    // One text per port, in the same order.
    static std::vector<std::string> Items(const std::vector<NumberedPort>& ports);
    // withSerial has no use here: Windows has no serial number to add.
    static std::string Item(const NumberedPort& port, bool withSerial = false);
    // "COM5": a port as the hints mention it.
    static std::string ShortName(const NumberedPort& port);
    // What the port is: its friendly name, empty when it has none.
    static std::string Description(const NumberedPort& port) { return port.friendlyName; }
};
