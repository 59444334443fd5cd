#pragma once

#include <string>

#include "port_access.h"

// What start-up tells the user when the chosen port cannot be opened or set
// up: the port and the cause, in the words of the port dialog's hints, and
// that the program ends. Texts come from the string table.
class CPortFailureMessage {
public:
    // port names the port as the hints do ("COM5 (/dev/ttyUSB0)").
    static std::string Text(const std::string& port, const PortAccess& access);
};
