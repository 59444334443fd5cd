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
// ~/.local/state), per user. The folder must be the user's own and closed to
// others (see CStateFolder); every file in it is opened relative to it,
// never through a link, and must be a regular file. The table is small and
// replaced whole (written to a temporary of its own, synced, then renamed
// over); a lock file beside it is held with flock while the table is read
// and written, so two programs never give one number twice. A damaged file
// (or a FIFO, link or folder in its place) is set aside as
// com-numbers.damaged, .damaged.1, ... and numbering starts afresh. Where
// the folder cannot be used or the lock cannot be had, the numbers live in
// this object for the run and nothing is written. Either is said once on
// stderr.
class CComNumberStore {
public:
    using Table = std::vector<ComNumberEntry>;

    // Reads the table, lets change edit it, and writes it back when change
    // says it did; all under the lock. Returns the table as it stands then.
    Table Update(const std::function<bool(Table&)>& change);
    Table Read() { return Update([](Table&) { return false; }); }
    // Whether the table is kept on disk; false once it lives in this object
    // for the run.
    bool OnDisk() const { return m_bOnDisk; }
    // Network ports (apctl ports add) are kept here under their address.
    static bool IsNetworkPort(const ComNumberEntry& entry);

    // The folder the table lives in, read from the environment each time.
    static std::string Folder();
    // Last-seen times are taken as lying between 0 and now.
    static std::string Parse(const std::string& text, Table& table);
    static std::string Format(const Table& table);

    static constexpr const char* kFileName = "com-numbers";
    // Damaged tables kept at most: .damaged, then .damaged.1 up to this less one.
    static constexpr int kDamagedCopies = 10;
    // How long a lock another run holds is waited for.
    static constexpr int kLockWaitMilliseconds = 10000;

private:
    // False when the table cannot be read (problem says why); a damaged one
    // is set aside and reads as empty.
    bool ReadFile(int folder, const std::string& path, Table& table, std::string& problem);
    // 0, or the errno of what failed.
    int WriteFile(int folder, const Table& table);
    void SetAside(int folder, const std::string& path, const std::string& problem);
    void SayOnce(const std::string& message);

    // The table for the run where the file cannot be used.
    Table m_memory;
    bool m_bOnDisk = true;
    bool m_bSaid = false;
};
