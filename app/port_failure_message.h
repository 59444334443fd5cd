#pragma once

#include <string>

#include "serial/port_access.h"

class CSerialPort;

// What start-up tells the user when the chosen port cannot be opened or set
// up: the port and the cause, in the words of the port dialog's hints, and
// that the program ends; and what any exchange tells when the port itself
// ended it. Texts come from the string table.
class CPortFailureMessage {
public:
    // port names the port as the hints do ("COM5 (/dev/ttyUSB0)").
    static std::string Text(const std::string& port, const PortAccess& access);
    // After the engine's Open failed on the port at path.
    static std::string OpenFailed(const std::string& port, const std::string& path, const CSerialPort& serial);
    // After an exchange failed: the port is gone, or CTS never came on, in
    // the hints' words with the port's name; empty when the port says
    // nothing and the exchange's own message applies.
    static std::string ConversationFailed(const CSerialPort& serial);
    // Shows ConversationFailed as a warning when it has something to say;
    // true when it did. For the pages, whose own boxes otherwise say only
    // that their request failed.
    static bool ShowConversationFailure(const CSerialPort* serial);
};
