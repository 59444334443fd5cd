#pragma once

#include <set>
#include <string>
#include <vector>

#include "serial/port_list.h"

// One COM port Windows has now.
struct ComPortEntry {
    int number = 0;
    // "COM5".
    std::string name;
    // UTF-8, "USB Serial Device (COM5)"; empty when the device manager has none.
    std::string friendlyName;
    // The driver's device, e.g. "\\Device\\USBSER000".
    std::string device;
};

// The ports of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, the list Windows keeps of
// the COM ports present, ascending by number, with the device manager's
// friendly names. A value that is not a plain "COM<n>" (n from 1 to 255, no
// leading zero) is left out, and so is a number listed twice (the first
// device keeps it). Opens no port.
std::vector<ComPortEntry> ListComPorts();

// The number of a COM name as SERIALCOMM gives it ("COM5" -> 5); 0 for
// anything else ("com5", "COM05", "COM0", "COM256", "COM5 ").
int ParseComPortName(const std::string& name);

// Tests read another key of the current user's in place of SERIALCOMM
// (a path below HKEY_CURRENT_USER, e.g. "Software\\apconfig-test\\SERIALCOMM");
// empty returns to the system's.
void SetComPortListKey(const std::string& currentUserPath);

// The numbers Windows keeps for COM ports, present or not: the COM name
// arbiter's ComDB, one bit a number from COM1 on. Empty when it cannot be
// read.
std::set<int> ReservedComNumbers();

// Tests read ComDB from a key of the current user's in place of the
// arbiter's; empty returns to the system's.
void SetComNameArbiterKey(const std::string& currentUserPath);

// The port as both programs offer it, named, keyed and opened as Windows does.
SerialPortRecord ToPortRecord(const ComPortEntry& port);
