#pragma once

#include <functional>
#include <vector>

#include "protocol/commands.h"
#include "protocol/link_record.h"

class CSerialPort;

// Every exchange with the access point, each written whole through the port's
// write operations and its reply read with the timed reply readers. A reply
// that differs gives false; a late byte (or a write that found no room in
// time) leaves as the int the readers threw. Either way, whatever of the
// request has not gone out yet is dropped before the failure is reported.

// Asks the fixed question and sets the conversation's reply time-out before
// reading the answer; true only when all of it matched.
bool IdentifyAccessPoint(CSerialPort* port);
// The same, a late byte counting as no answer, asked on a quiet line (see
// AwaitQuietLine).
bool AccessPointAnswers(CSerialPort* port);

// Throws away what the device is still sending of a reply nobody reads any
// more (an earlier run was interrupted mid-listing): bytes are read until the
// line has been silent for kQuietLineMs, for at most kQuietLineMaxMs or
// kQuietLineMaxBytes. Returns how many were thrown away.
inline constexpr int kQuietLineMs = 150;
inline constexpr int kQuietLineMaxMs = 2000;
inline constexpr int kQuietLineMaxBytes = 32768;
int AwaitQuietLine(CSerialPort* port);

// Lists the paired devices into records. Throws kListNotAcknowledged when the
// listing is refused; on any failure every record of the listing is dropped
// and the bytes already received are thrown away before the code leaves.
// progress, when given, hears of the listing as it comes: once the count is
// in (read 0), then after each record.
inline constexpr int kListNotAcknowledged = 1;
using ListingProgress = std::function<void(int read, int count)>;
void ReadPairedDevices(CSerialPort* port, std::vector<LinkRecord>& records, const ListingProgress& progress = {});

// Asks the device to forget the given devices, sending back their addresses
// as received; true when it acknowledged.
bool DeletePairedDevices(CSerialPort* port, const std::vector<LinkRecord>& devices);

// Reads the device name into name, NUL-terminated: up to its line feed, at
// most kMaxNameReplyBytes bytes (the rest then stays unread). False when the
// request was not acknowledged (no name byte is read then).
bool ReadDeviceName(CSerialPort* port, char (&name)[kNameBufferSize]);

// Both refuse (false, nothing written) a text holding a control character:
// it would split the request into commands of its own.
bool ChangeDeviceName(CSerialPort* port, const char* utf8Name);
bool ChangePin(CSerialPort* port, const char* pinInForce, const char* newPin);
// The closing command; its outcome changes nothing for the caller.
bool EndConversation(CSerialPort* port);

// Throws away what has been received but not read, without waiting for more.
void DiscardReceived(CSerialPort* port);
