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
        for (unsigned b = 0; b < 7; ++b, ++bit) {
            // Keep the bits below this one, set this one, clear those above: so
            // a header's last bits survive and the tail of the octet is zero.
            std::uint8_t& octet = destination[bit / 8];
            const unsigned position = bit % 8;
            const unsigned below = (1u << position) - 1u;
            const unsigned value = (code >> b) & 1u;
            octet = static_cast<std::uint8_t>((octet & below) | (value << position));
        }
    }
    return static_cast<int>((bit + 3) / 4);
}

}  // namespace mivex::sms
