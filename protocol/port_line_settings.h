#pragma once

#include "serial/dcb.h"

// The line settings to open port "COM<nPort>" with: the access point's line
// (115200 baud, 8 data bits, even parity, one stop bit, CTS flow, RTS and
// DTR held on) over a record with every other field zero. The port is not
// opened here: the driver lays these fields over the port's own settings
// when the engine opens it, so that the port is opened once between the
// user's choice and the identification (each close drops DTR and RTS, which
// resets some boards). False only when no port is chosen (nPort 0); *error,
// when given, is then 0, as there is no system error to name.
bool BuildAccessPointLineSettings(int nPort, DCB& settings, int* error = nullptr);
