#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "serial/posix/com_number_store.h"
#include "serial/posix/serial_port_info.h"

struct NumberedPort {
    int number;
    SerialPortInfo info;
};

// The ports as the user picks them: numbered, in ascending order, those
// that found no number, and those whose link gives them a number outside 4
// to 20 (ascending), which the port dialog does not offer.
struct NumberedPorts {
    std::vector<NumberedPort> ports;
    std::vector<SerialPortInfo> leftOut;
    std::vector<NumberedPort> outOfRange;
};

// Gives the machine's serial ports COM numbers from 4 to 20: a comN link
// keeps N; a UART ttyS(k) keeps k+1; every other port keeps the number the
// COM number database gives its key, which stays with the device across
// runs, re-plugs and both programs. A new device takes the lowest number
// never given (new ones in the order of their by-id names, else their sysfs
// paths); when all are given, the one whose device was seen longest ago.
// A number the user gave a network port is never given to a device.
class CComPortNumbers {
public:
    static constexpr int kFirst = 4;
    static constexpr int kLast = 20;
    // A database entry's last-seen time is renewed at most this often.
    static constexpr int64_t kSeenGranularitySeconds = 60;

    NumberedPorts Assign(const std::vector<SerialPortInfo>& ports);
    // The numbers links and UARTs hold whatever the database says, links
    // first; the first port to claim a number keeps it.
    static std::vector<NumberedPort> Fixed(const std::vector<SerialPortInfo>& ports);
    // The database as it stands, without listing anything.
    CComNumberStore::Table Kept() { return m_store.Read(); }
    // Edits the database under its lock (see CComNumberStore::Update);
    // saved says whether the result is on disk.
    CComNumberStore::Table Update(const std::function<bool(CComNumberStore::Table&)>& change, bool& saved)
    {
        CComNumberStore::Table table = m_store.Update(change);
        saved = m_store.OnDisk();
        return table;
    }

    // What identifies the device: vendor, product and serial number of a
    // USB device that has one (with the interface beyond the first), else
    // its place: the USB port it sits in, or the tty's own sysfs device.
    // Not the by-id name, which udev may move to another adapter.
    static std::string Key(const SerialPortInfo& port);
    // The key of the place alone.
    static std::string PlaceKey(const SerialPortInfo& port);
    // Whether two listings show the same device: the same key, in the same
    // place (clones that share a serial number differ by place).
    static bool SameDevice(const SerialPortInfo& a, const SerialPortInfo& b)
    {
        return Key(a) == Key(b) && PlaceKey(a) == PlaceKey(b);
    }

private:
    static std::string OrderKey(const SerialPortInfo& port);
    bool GiveFromTable(CComNumberStore::Table& table, const std::vector<const SerialPortInfo*>& pool,
                       const std::set<int>& fixed, NumberedPorts& result);

    CComNumberStore m_store;
};
