#include "serial/reply_readers.h"

#include <cstring>

#include "serial/serial_port.h"

namespace {
int g_nReplyTimeout = kInitialReplyTimeoutMs;
}

int SetReplyTimeout(int ms)
{
    int previous = g_nReplyTimeout;
    g_nReplyTimeout = ms;
    return previous;
}

int ReplyTimeout()
{
    return g_nReplyTimeout;
}

void ReadReplyBytes(CSerialPort* port, char* buffer, int n)
{
    try {
        port->ReadBytesTimeout(buffer, n, g_nReplyTimeout);
    } catch (int) {
        throw kReplyFailedCode;
    }
}

char ReadReplyByte(CSerialPort* port)
{
    char byte;
    ReadReplyBytes(port, &byte, 1);
    return byte;
}

int ReadReplyNumber(CSerialPort* port, int n)
{
    // The value has room for four bytes.
    if (n > 4)
        n = 4;
    unsigned value = 0;
    for (int i = 0; i < n; ++i)
        value |= static_cast<unsigned>(static_cast<unsigned char>(port->ReadByteTimeout(g_nReplyTimeout))) << (8 * i);
    return static_cast<int>(value);
}

bool ExpectReply(CSerialPort* port, const char* expected)
{
    try {
        for (const char* p = expected; *p; ++p)
            if (port->ReadByteTimeout(g_nReplyTimeout) != *p)
                return false;
    } catch (int) {
        throw kReplyFailedCode;
    }
    return true;
}

bool ExpectOk(CSerialPort* port)
{
    char reply[3];
    ReadReplyBytes(port, reply, sizeof reply);
    return std::memcmp(reply, "OK\n", sizeof reply) == 0;
}
