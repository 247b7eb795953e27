#pragma once

// Phone numbers as semi-octets: digit k sits in octet k / 2, low nibble first.
// Nibbles 0-9 are digits, A "*", B "#", C "a", D "b", E "c"; F fills the last
// octet of an odd-length number.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mivex::sms {

// The text of the first `digits` semi-octets of `octets`; F nibbles give no
// character. Digits beyond the end of `octets` are not read.
[[nodiscard]] std::u16string SemiOctetsToText(std::span<const std::uint8_t> octets, int digits);

// Counts the encodable characters of `text` (0-9 * # a b c; everything else,
// "+", "p" and "w" among it, is passed over) and, given `octets`, appends them
// as semi-octets with an F filler when the count is odd. Returns the count.
int TextToSemiOctets(std::u16string_view text, std::vector<std::uint8_t>* octets = nullptr);

}  // namespace mivex::sms
