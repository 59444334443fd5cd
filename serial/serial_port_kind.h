#pragma once

// What kind of hardware stands behind a serial port.
enum class ESerialPortKind {
    UsbSerial,  // a USB serial adapter (ttyUSB*)
    UsbAcm,     // a USB modem-class device (ttyACM*)
    BuiltIn,    // an on-board or ISA-PnP UART
    Pci,        // a UART on a PCI card
    Other,      // a port with a device behind it that is none of the above, or not known
    LinkOnly,   // only a /dev/comN link, to something sysfs does not describe
    Network,    // a port on a serial device server, reached over RFC 2217
};
