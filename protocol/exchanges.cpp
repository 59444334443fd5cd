#include "protocol/exchanges.h"

#include "protocol/sendable_text.h"
#include "serial/reply_readers.h"
#include "serial/serial_port.h"
#include "serial/tick_count.h"

namespace {

// Runs one exchange. When it fails, a late byte or a wrong reply, nothing of
// its request may go out later: its answer would be taken for the next
// one's, and what the user was told failed would happen after all.
template <class Exchange>
bool Unsent(CSerialPort* port, Exchange exchange)
{
    bool done = false;
    try {
        done = exchange();
    } catch (int) {
        port->PurgeTransmit();
        throw;
    }
    if (!done)
        port->PurgeTransmit();
    return done;
}

}  // namespace

bool IdentifyAccessPoint(CSerialPort* port)
{
    return Unsent(port, [port] {
        port->WriteString(kIdentifyQuestion);
        SetReplyTimeout(kConversationTimeoutMs);
        return ExpectReply(port, kIdentifyAnswer);
    });
}

int AwaitQuietLine(CSerialPort* port)
{
    const uint32_t start = CTickCount::Now();
    int thrown = 0;
    try {
        // A device that never falls silent is not waited for beyond the
        // bounds; the question then meets what it meets.
        while (thrown < kQuietLineMaxBytes && CTickCount::Now() - start < static_cast<uint32_t>(kQuietLineMaxMs)) {
            port->ReadByteTimeout(kQuietLineMs);
            ++thrown;
        }
    } catch (int) {
        // Silence (or a port that is gone, which the question finds too).
    }
    return thrown;
}

bool AccessPointAnswers(CSerialPort* port)
{
    // The answer to the question must not be looked for among the rest of
    // a reply to someone else's.
    AwaitQuietLine(port);
    try {
        return IdentifyAccessPoint(port);
    } catch (int) {
        return false;
    }
}

void ReadPairedDevices(CSerialPort* port, std::vector<LinkRecord>& records, const ListingProgress& progress)
{
    records.clear();
    try {
        port->WriteString(kLinkReadCommand);
        if (!ExpectOk(port))
            throw kListNotAcknowledged;
        const int count = ReadReplyNumber(port, kCountBytes);
        records.reserve(static_cast<size_t>(count));
        if (progress)
            progress(0, count);
        for (int i = 0; i < count; ++i) {
            LinkRecord record;
            ReadReplyBytes(port, reinterpret_cast<char*>(record.address), kAddressBytes);
            ReadReplyBytes(port, reinterpret_cast<char*>(record.linkKey), kLinkKeyBytes);
            records.push_back(record);
            if (progress)
                progress(i + 1, count);
        }
    } catch (int) {
        port->PurgeTransmit();
        // The rest of a broken listing would be read as the next reply.
        DiscardReceived(port);
        records.clear();
        throw;
    }
}

bool DeletePairedDevices(CSerialPort* port, const std::vector<LinkRecord>& devices)
{
    return Unsent(port, [port, &devices] {
        port->WriteString(kLinkDeleteCommand);
        const unsigned count = static_cast<unsigned>(devices.size()) & 0xFFFF;
        const char countBytes[kCountBytes] = {static_cast<char>(count & 0xFF), static_cast<char>(count >> 8)};
        port->Write(countBytes, kCountBytes);
        for (const LinkRecord& device : devices)
            port->Write(device.address, kAddressBytes);
        return ExpectOk(port);
    });
}

bool ReadDeviceName(CSerialPort* port, char (&name)[kNameBufferSize])
{
    if (!Unsent(port, [port] {
            port->WriteString(kNameReadCommand);
            return ExpectOk(port);
        }))
        return false;
    // Acknowledged, so all of the request went out: a late name byte leaves
    // nothing of it to drop.
    int length = 0;
    while (length < kMaxNameReplyBytes) {
        char byte = ReadReplyByte(port);
        if (byte == '\n')
            break;
        name[length++] = byte;
    }
    name[length] = '\0';
    return true;
}

bool ChangeDeviceName(CSerialPort* port, const char* utf8Name)
{
    if (CSendableText::HasControlCharacter(utf8Name))
        return false;
    return Unsent(port, [port, utf8Name] {
        port->WriteString(kNameUpdateCommand);
        port->WriteString(utf8Name);
        port->WriteString(kLineFeed);
        return ExpectOk(port);
    });
}

bool ChangePin(CSerialPort* port, const char* pinInForce, const char* newPin)
{
    if (CSendableText::HasControlCharacter(pinInForce) || CSendableText::HasControlCharacter(newPin))
        return false;
    return Unsent(port, [port, pinInForce, newPin] {
        port->WriteString(kPinUpdateCommand);
        port->WriteString(pinInForce);
        port->WriteString(kLineFeed);
        port->WriteString(newPin);
        port->WriteString(kLineFeed);
        return ExpectOk(port);
    });
}

bool EndConversation(CSerialPort* port)
{
    return Unsent(port, [port] {
        port->WriteString(kExitCommand);
        return ExpectOk(port);
    });
}

void DiscardReceived(CSerialPort* port)
{
    // No more can be waiting than the ring and the driver hold: a port that
    // keeps saying otherwise is not believed for ever.
    for (int left = port->ReceiveCapacity(); left > 0 && !port->IsReceiveEmpty(); --left)
        port->ReadByte();
}
