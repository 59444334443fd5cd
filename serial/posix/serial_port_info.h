#pragma once

#include <string>

#include "serial/serial_port_kind.h"

// One serial port of the machine as discovery finds it. Texts read from
// sysfs are valid UTF-8, free of control characters and short; a text the
// kernel does not give, or gives unusably, is empty.
struct SerialPortInfo {
    ESerialPortKind kind = ESerialPortKind::Other;
    // The node to open: /dev/ttyUSB0, or the /dev/comN link itself.
    std::string devicePath;
    // The kernel's name of the tty (ttyUSB0); empty for a link to a non-tty.
    std::string kernelName;
    // N of a /dev/comN link (0: none), and where the link points.
    int linkNumber = 0;
    std::string linkTarget;
    // /dev/serial/by-id/… when udev made one: it follows the adapter.
    std::string byIdPath;
    // The tty's own folder in sysfs, resolved; empty for a bare link.
    std::string sysfsPath;
    // Where the device sits, as its folder below sysfs's devices/: the USB
    // interface (…/usb1/1-2/1-2:1.0) for a USB port, the tty's own folder
    // otherwise; empty for a bare link.
    std::string place;
    // k of a real UART ttyS(k); -1 otherwise.
    int uartIndex = -1;
    // USB device attributes (or PCI ids for a card), as sysfs gives them.
    std::string product;
    // The product says no more than "USB Serial" does.
    bool productIsGeneric = false;
    std::string manufacturer;
    std::string serialNumber;
    std::string vendorId;
    std::string productId;
    // Names from the hardware database, where the attributes were poor.
    std::string databaseVendor;
    std::string databaseModel;

    // What the port is called for the user: the product, or the database's
    // vendor and model where the product is generic, else the manufacturer;
    // empty when nothing names it.
    std::string DisplayName() const;
    // The path to open that keeps naming this device: the link, else the
    // by-id name, else the node.
    std::string OpenPath() const;
};
