#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "protocol/link_record.h"

// Who an address belongs to, from the IEEE registration lists (oui.csv,
// mam.csv, oui36.csv and iab.csv, as Debian's ieee-data has them): the large blocks (MA-L, 24 bits), the medium ones (MA-M, 28
// bits) and the small ones (MA-S and the older IAB, 36 bits), the longest
// block that holds the address winning. A list that is missing, unreadable
// or broken in places adds what it can and nothing else.
class CManufacturerRegistry {
public:
    static constexpr const char* kDebianFolder = "/usr/share/ieee-data";
    // Where the platform keeps the lists, in UTF-8: Debian's folder, or on
    // Windows the program's own folder, where its installer puts them.
    static std::string DefaultFolder();

    explicit CManufacturerRegistry(std::string folder = DefaultFolder());

    // Reads the lists the first time; later calls do nothing.
    void Load();
    bool IsLoaded() const { return m_bLoaded; }
    size_t Size() const { return m_blocks.size(); }
    // The organisation of the address as displayed (its first bytes are the
    // record's bytes 4, 5, 3, 0 and 1); empty when no block holds it.
    std::string Lookup(const LinkRecord& record) const;

    // The registry the program shares, read from the folder last chosen.
    static CManufacturerRegistry& Shared();
    // Tests point the shared registry at a folder of their own; it is read
    // again on next use.
    static void SetSharedFolder(std::string folder);

private:
    void ReadList(const char* file);
    static uint64_t Key(unsigned bits, uint64_t prefix) { return (uint64_t{bits} << 48) | prefix; }

    std::string m_folder;
    bool m_bLoaded = false;
    // Block size and prefix to organisation.
    std::unordered_map<uint64_t, std::string> m_blocks;
};
