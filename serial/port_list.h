#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "serial/port_access.h"
#include "serial/serial_port_kind.h"

// One serial port of the machine, the same record on every platform: what
// both programs offer, name and open. Texts are UTF-8; a fact the system does
// not give is empty.
struct SerialPortRecord {
    // Its COM number: the one Windows gives it, or the one the COM number
    // database, a /dev/comN link or a UART's index gives it here; for a
    // network port the one the user gave it.
    int number = 0;
    // What opens it: a link or by-id name that keeps naming the device here,
    // "\\.\COM5" on Windows, a network port's address.
    std::string path;
    // Its device node as the user knows it (/dev/ttyUSB0, a /dev/comN link),
    // and where a link points; empty where the COM name is the device itself.
    std::string node;
    std::string linkTarget;
    // The number comes from a /dev/comN name the user made (node is that name).
    bool numberFromLink = false;
    // The system's own full name for the port, which holds its COM name
    // already ("USB Serial Device (COM5)", Device Manager's friendly name);
    // empty where the system gives none.
    std::string displayName;
    // What the port is: the product, or the hardware database's vendor and
    // model, else the manufacturer.
    std::string description;
    ESerialPortKind kind = ESerialPortKind::Other;
    std::string manufacturer;
    std::string serialNumber;
    std::string vendorId;
    std::string productId;
    // A name that follows the adapter (/dev/serial/by-id/…).
    std::string stableName;
    // The kernel's name of the tty (ttyUSB0), which lock files use.
    std::string kernelName;
    // The driver's device Windows shows ("\Device\USBSER000").
    std::string driverDevice;
    // The ids its number is kept by: the COM number database's key, the link
    // or UART the number comes from, or the driver's device.
    std::string key;
    // What tells this device from another listed under the same number later.
    std::string identity;
    // Whether it is plugged in now: a device the database keeps a number for
    // may be away.
    bool present = true;
    // Whether it can be had now, and why not, as far as the system tells
    // without opening it (opening raises DTR and RTS, which resets many
    // boards); on Windows only the open can tell.
    PortAccess access;
};

// The ports found now.
struct SerialPortList {
    // The ports under their numbers, ascending.
    std::vector<SerialPortRecord> ports;
    // Ports a number the user gave them keeps out of the list (a /dev/comN
    // link outside 4 to 20); apctl still reaches them by that name.
    std::vector<SerialPortRecord> outOfRange;
    // Ports found that got no number: only 17 fit between COM4 and COM20.
    size_t unnumbered = 0;

    bool FoundAny() const { return !ports.empty() || !outOfRange.empty() || unnumbered != 0; }
};

// A COM name as the user typed it, read as the platform reads it.
struct ComName {
    // Upper case, as messages name it ("COM5").
    std::string name;
    // 0 when it names no port that can exist.
    int number = 0;
};

// The machine's serial ports, one implementation per platform (posix/,
// win32/). Opens no port.
class CPortList {
public:
    // Lists and judges the ports now; numbers new ones where the numbers are
    // this program's to give. Network ports the user numbered (see
    // CNetworkPorts) are listed under their numbers too.
    static SerialPortList List();
    // The address of the network port listed under number; empty when that
    // number is no network port's.
    static std::string NetworkAddressOf(int number);
    // Judges a listed port again: one in use comes back when it is released.
    static PortAccess Judge(const SerialPortRecord& port);
    // The devices that keep a COM number but are not plugged in now.
    static std::vector<SerialPortRecord> Absent();
    // "COM5", "com5" (and "\\.\COM5" on Windows) as a COM name; nothing when
    // the text is a path instead.
    static std::optional<ComName> ReadComName(const std::string& text);
    // What a COM name the list does not hold opens (a /dev/comN link outside
    // 4 to 20); empty when nothing.
    static std::string PathOfName(const std::string& comName);
    // The number that opens the device at path: its own when it is listed,
    // else one past 20, which the port dialog never offers; 0 when nothing is
    // there.
    static int NumberForPath(const std::string& path);
    // A console or a login uses the port as its terminal: a port chosen
    // without being named must never be one of those.
    static bool IsTerminal(const SerialPortRecord& port);
    // The folders whose changes mean the ports changed; none where the
    // system announces arrivals and removals itself.
    static std::vector<std::string> WatchedFolders();

    // Tests list ports of their own; null goes back to the system's.
    static void SetLister(std::function<SerialPortList()> lister);

private:
    static SerialPortList ListSystemPorts();
};
