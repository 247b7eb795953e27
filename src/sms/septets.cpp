#include "sms/septets.h"

#include <cstddef>

namespace mivex::sms {

int UnpackSeptets(std::span<const std::uint8_t> source, int totalSeptets, int skipSeptets,
                  std::span<std::uint8_t> codes) {
    if (skipSeptets < 0 || skipSeptets > totalSeptets) {
        return 0;
    }
    const int count = totalSeptets - skipSeptets;
    if (count == 0 || source.size() < static_cast<std::size_t>(SeptetOctets(0, totalSeptets)) ||
        codes.size() < static_cast<std::size_t>(count)) {
        return 0;
    }
    std::size_t bit = 7 * static_cast<std::size_t>(skipSeptets);
    for (int i = 0; i < count; ++i, bit += 7) {
        // A septet spans at most two octets; the second exists whenever the
        // septet's bits reach into it, which the size check above guarantees.
        const std::size_t octet = bit / 8;
        const unsigned shift = bit % 8;
        unsigned value = source[octet] >> shift;
        if (shift > 1) {
            value |= static_cast<unsigned>(source[octet + 1]) << (8 - shift);
        }
        codes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value & 0x7F);
    }
    return count;
}

int PackSeptets(std::span<const std::uint8_t> codes, int startBit,
                std::span<std::uint8_t> destination) {
    const int count = static_cast<int>(codes.size());
    if (startBit < 0 || (count > 0 && destination.size() < static_cast<std::size_t>(
                                                               SeptetOctets(startBit, count)))) {
        return -1;
    }
    std::size_t bit = static_cast<std::size_t>(startBit);
    for (const std::uint8_t code : codes) {
        // Keep the bits below the septet (the end of a header, or fill bits),
        // write its seven bits and clear everything above them, so the octets
        // touched hold no stale bits; bit 7 of a code is never sent.
        const unsigned septet = code & 0x7Fu;
        const unsigned shift = bit % 8;
        std::uint8_t& first = destination[bit / 8];
        first = static_cast<std::uint8_t>((first & ((1u << shift) - 1u)) | (septet << shift));
        if (shift > 1) {
            destination[bit / 8 + 1] = static_cast<std::uint8_t>(septet >> (8 - shift));
        }
        bit += 7;
    }
    return static_cast<int>((bit + 3) / 4);
}

}  // namespace mivex::sms
