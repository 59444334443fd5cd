#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One COM number given to a device, as the database keeps it.
struct ComNumberEntry {
    int number = 0;
    // What identifies the device (see CComPortNumbers::Key).
    std::string key;
    // Seconds since the epoch when it was last listed.
    int64_t lastSeen = 0;
    // Where and what it was when last listed, for the user.
    std::string device;
    std::string description;
};

// The COM numbers given so far, shared by apconfig and apctl and kept from
// one run to the next in $XDG_STATE_HOME/apconfig/com-numbers (default
// ~/.local/state). The file is small and replaced whole (written aside,
// then renamed over); a lock file beside it is held with flock while the
// table is read and written, so two programs never give one number twice.
// A damaged file is set aside as com-numbers.damaged and numbering starts
// afresh; where the folder cannot be written, the numbers live in this
// object for the run. Either is said once on stderr.
class CComNumberStore {
public:
    using Table = std::vector<ComNumberEntry>;

    // Reads the table, lets change edit it, and writes it back when change
    // says it did; all under the lock. Returns the table as it stands then.
    Table Update(const std::function<bool(Table&)>& change);
    Table Read() { return Update([](Table&) { return false; }); }

    // The folder the table lives in, read from the environment each time.
    static std::string Folder();
    static std::string Parse(const std::string& text, Table& table);
    static std::string Format(const Table& table);

private:
    bool ReadFile(const std::string& path, Table& table);
    // 0, or the errno of what failed.
    int WriteFile(const std::string& path, const Table& table);
    void SayOnce(const std::string& message);

    // The table for the run where the file cannot be used.
    Table m_memory;
    bool m_bOnDisk = true;
    bool m_bSaid = false;
};
