#pragma once

// The stored form of one record: a small versioned byte layout of its
// properties. Stored bytes are read as untrusted: every length is checked
// against the end before it is used, and a damaged record decodes as failure.
//
// Layout (little-endian): version octet 1, property count (u16), then per
// property its id (u32) and value: I2 2 octets, I4 4, FILETIME 8, string a
// unit count (u32) and the UTF-16 units, blob an octet count (u32) and the octets.

#include <cstdint>
#include <span>
#include <vector>

#include "store/property.h"

namespace mivex::store {

inline constexpr std::uint8_t kRecordFormat = 1;
// A record holds at most this many properties (the count is 16 bits).
inline constexpr std::size_t kMaxRecordProps = 0xFFFF;

[[nodiscard]] bool IsStorableType(PropId id);

// False when a property has a type the store does not know, or there are too many.
[[nodiscard]] bool EncodeRecord(std::span<const PropVal> props, std::vector<std::uint8_t>& out);

// Fills `props` (reusing its entries' storage); false when the bytes are not a
// well-formed record, `props` then being unspecified.
[[nodiscard]] bool DecodeRecord(std::span<const std::uint8_t> bytes, PropArray& props);

}  // namespace mivex::store
