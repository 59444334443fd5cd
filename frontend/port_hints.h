#pragma once

#include <string>
#include <vector>

#include "frontend/port_item_text.h"
#include "serial/port_access.h"
#include "serial/port_list.h"
#include "serial/serial_port.h"

// What the port dialog tells the user about the ports it cannot offer: one
// line per cause, naming the ports it concerns and how to fix it. Texts
// come from the string table.
class CPortHints {
public:
    // The dialog offers COM4 to COM20 (apctl reaches any port).
    static constexpr int kFirstOffered = 4;
    static constexpr int kLastOffered = 20;
    static bool Offered(int number) { return number >= kFirstOffered && number <= kLastOffered; }

    // refused: listed ports that cannot be had now (their access says why);
    // foundAny: whether the machine has any serial port at all; leftOut:
    // how many found no COM number; outOfRange: the ports whose number
    // keeps them out, a line each (see OutOfRangeLine).
    static std::vector<std::string> Lines(const std::vector<SerialPortRecord>& refused, size_t leftOut, bool foundAny,
                                          const std::vector<SerialPortRecord>& outOfRange = {});
    // A port left out for its number, named, with what gives it one from 4
    // to 20: its /dev/comN link where a link gives the number, else Device
    // Manager's port settings, as Windows numbers the port.
    static std::string OutOfRangeLine(const SerialPortRecord& port);
    // The one line for a single port's problem (the command-line tool's error).
    static std::string Line(const std::string& ports, const PortAccess& access);
    // Why the chosen port could not be opened or set up when it was (gone,
    // in use, permission), in the hints' words.
    static std::string OpenFailureLine(const std::string& port, const PortAccess& access);
    // Why the engine's Open of the port at path failed: a network port's
    // fault (where to, and why), the line settings refused (with the system's
    // reason), else the open's error judged as above.
    static std::string EngineOpenFailureLine(const std::string& port, const std::string& path,
                                             const CSerialPort& serial);
    // What ended a conversation on an open port when the port itself says:
    // a network connection lost, gone (unplugged), or CTS never on while the
    // request waited. Empty
    // when it says nothing, and the exchange's own words apply.
    static std::string ConversationFailureLine(const std::string& port, const CSerialPort& serial);
    // A network port's fault, port named; empty when there is none.
    static std::string FaultLine(const std::string& port, const PortFault& fault);
};
