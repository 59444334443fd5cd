#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/link_record.h"

// What the simulated access point started with `--devices n` must answer,
// so a benchmark can tell that no byte was lost or changed on the way.

// FNV-1a, 64 bits: a digest both sides of a comparison can compute cheaply.
uint64_t Fnv1a64(std::string_view bytes);
// The listing reply after its "OK\n": the count, then every record.
std::string ListingPayload(size_t count);
// Where the list first differs from the `count` generated records: the index
// of the first wrong record, or of the first missing or surplus one.
// nullopt when the list is exactly right.
std::optional<size_t> FirstWrongRecord(const std::vector<LinkRecord>& records, size_t count);
