#pragma once

// Packing of GSM codes as septets, seven bits each, least significant bit first,
// starting at any bit position (a user-data header leaves the text starting
// mid-octet).

#include <cstdint>
#include <span>

namespace mivex::sms {

// Octets needed to hold `septets` septets written from bit `startBit`.
[[nodiscard]] constexpr int SeptetOctets(int startBit, int septets) {
    return (startBit + 7 * septets + 7) / 8;
}

// Reads septets skipSeptets .. totalSeptets-1 from `source` into `codes`, one
// code per byte. Returns the number written (totalSeptets - skipSeptets), or 0
// when the skip lies beyond the total, when `source` does not hold totalSeptets
// septets, or when `codes` is too small; nothing is written then.
[[nodiscard]] int UnpackSeptets(std::span<const std::uint8_t> source, int totalSeptets,
                                int skipSeptets, std::span<std::uint8_t> codes);

// Writes the codes as septets into `destination`, the first at bit `startBit`.
// Bits below startBit % 8 of the first octet touched keep their value; every
// later bit of every octet touched is defined, the unused high bits of the last
// octet being zero. Returns the number of hex digits from the start of
// `destination` through the last bit written, (startBit + 7 * count + 3) / 4;
// with no codes nothing is written and the result is (startBit + 3) / 4.
// Returns -1 and writes nothing when `destination` cannot hold the septets.
[[nodiscard]] int PackSeptets(std::span<const std::uint8_t> codes, int startBit,
                              std::span<std::uint8_t> destination);

}  // namespace mivex::sms
