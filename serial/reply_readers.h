#pragma once

class CSerialPort;

// Reading the device's replies byte by byte under one process-wide reply
// time-out, granted afresh to every byte. A late byte surfaces as a thrown int:
// 666 from the port (and unchanged from ReadReplyNumber), 999 from the others.

inline constexpr int kInitialReplyTimeoutMs = 300000;
inline constexpr int kReplyFailedCode = 999;

// Sets the per-byte time-out in milliseconds; returns the one it replaces.
int SetReplyTimeout(int ms);
int ReplyTimeout();
void ReadReplyBytes(CSerialPort* port, char* buffer, int n);
char ReadReplyByte(CSerialPort* port);
// n bytes (at most 4), least significant first, no sign extension.
int ReadReplyNumber(CSerialPort* port, int n);
// Compares byte by byte and stops at the first difference.
bool ExpectReply(CSerialPort* port, const char* expected);
// Always reads three bytes, then compares them with "OK\n".
bool ExpectOk(CSerialPort* port);
