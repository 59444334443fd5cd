#pragma once

#include <map>
#include <string>

#include "tests/support/state_home.h"

// A sysfs tree and a device folder laid out as the kernel and udev lay them
// out, in a temporary folder, for port discovery to read. Device nodes are
// links to ptys of their own, so the ports can really be opened. For its
// life, XDG_STATE_HOME points to a folder of its own, so the COM numbers of a
// test are its own; a UUCP lock folder is there for tests to use.
class CFakeSysfs {
public:
    struct UsbDevice {
        std::string vendorId;
        std::string productId;
        std::string product;
        std::string manufacturer;
        std::string serial;
    };

    static const UsbDevice kCp2102;
    static const UsbDevice kUno;

    CFakeSysfs();
    ~CFakeSysfs();
    CFakeSysfs(const CFakeSysfs&) = delete;
    CFakeSysfs& operator=(const CFakeSysfs&) = delete;

    const std::string& Sys() const { return m_sys; }
    const std::string& Dev() const { return m_dev; }
    const std::string& Locks() const { return m_locks; }
    const CStateHome& State() const { return m_state; }

    // A USB serial adapter (tty "ttyUSB…") or, with a "ttyACM…" name, a
    // modem-class device, plugged into the USB port usbPort ("1-2"); an
    // empty attribute is left out. Returns the usb device's folder.
    std::string AddUsb(const std::string& tty, const std::string& usbPort, const UsbDevice& device);
    // An on-board UART found by PnP, at ttyS<k>.
    void AddPnpUart(int k);
    void AddPciUart(int k, const std::string& vendor, const std::string& device);
    // The placeholder ttyS<k> the 8250 driver registers without hardware
    // (UART type 0), or with type a real UART it found (4: a 16550A) on a
    // board that has no PnP or ACPI entry for it.
    void AddPlaceholderUart(int k);
    void AddPlatformUart(int k, const std::string& type);
    // The udev link /dev/serial/by-id/<name> to the node of tty.
    void AddById(const std::string& name, const std::string& tty);
    // Points an existing by-id link at another tty, as udev does when a
    // second adapter without a serial number claims the same name.
    void MoveById(const std::string& name, const std::string& tty);
    // A UUCP lock file for tty, held by process pid.
    void LockUucp(const std::string& tty, long pid);
    // A link <dev>/com<n> to a pty of its own; returns the pty's path.
    std::string AddComLink(int n);
    // The machine of the examples: a CP2102 adapter at ttyUSB0 and an Uno
    // board at ttyACM0, both with by-id names, a PnP UART at ttyS4, the 8250
    // placeholders ttyS1 to ttyS31 around it, and a link com7 to a pty,
    // whose path it returns.
    std::string AddExampleMachine();
    // Takes the tty, its node and its by-id links away, as an unplug does.
    void Unplug(const std::string& tty);
    // Writes an attribute file below the sysfs root.
    void Write(const std::string& relativePath, const std::string& content);
    // The pty behind a node or link.
    std::string PtyOf(const std::string& name) const { return m_ptys.at(name).path; }

private:
    struct Pty {
        int master;
        std::string path;
    };
    void AddTty(const std::string& tty, const std::string& deviceFolder, const std::string& subsystemOfDevice);
    std::string AddNode(const std::string& name);
    void Link(const std::string& target, const std::string& at);

    std::string m_root;
    std::string m_sys;
    std::string m_dev;
    std::string m_locks;
    CStateHome m_state;
    std::map<std::string, Pty> m_ptys;
};
