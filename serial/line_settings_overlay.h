#pragma once

#include "serial/dcb.h"

// The record to apply to a port: the port's own (as the system reads it back
// on the open handle) with only the access point's line settings and
// handshake taken from wanted. Settings another program left behind that
// would corrupt a binary protocol are switched off: fNull (drops 0x00
// bytes), fAbortOnError (every I/O fails after one line error),
// fDsrSensitivity (drops input while DSR is low) and fErrorChar; fBinary is
// on. Equal X-on and X-off characters, which the system refuses, become
// the usual 0x11 and 0x13 (X-on/X-off flow stays as wanted says).
DCB OverlayLineSettings(const DCB& portOwn, const DCB& wanted);
