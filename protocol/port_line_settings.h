#pragma once

#include "serial/dcb.h"

// Reads the settings of port "COM<nPort>" as it stands and changes them into
// the access point's line (115200 baud, 8 data bits, even parity, one stop
// bit, CTS flow, RTS and DTR held on). False when the port cannot be opened
// or its settings cannot be read; then *error, when given, holds the
// system's error (errno, or GetLastError on Windows) of what failed (0 when
// no port is chosen).
bool BuildAccessPointLineSettings(int nPort, DCB& settings, int* error = nullptr);
