#pragma once

#include "serial/dcb.h"

// The access point's line: 115200 baud, 8 data bits, even parity, one stop
// bit, sending only while the device asserts CTS, with RTS and DTR held on.
// Changes exactly those fields and flag bits of settings already read from
// the port, makes the line binary (fBinary on; fNull, fErrorChar,
// fAbortOnError and fDsrSensitivity off) and keeps every other one.
void ApplyAccessPointLineSettings(DCB& settings);

// The same over a record with every other field zero.
DCB AccessPointLineSettings();
