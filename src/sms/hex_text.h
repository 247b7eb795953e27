#pragma once

// PDUs travel on the serial line as hexadecimal text, two digits an octet, most
// significant first: written in upper case, read in either case.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mivex::sms {

// The value of the hex digits in `chars`, last digit least significant. A
// character that is not a hex digit counts as 0 but keeps its place. Empty: 0.
[[nodiscard]] std::uint32_t HexDigitsToInt(std::string_view chars);

// The octets of hex text, two characters each; a trailing odd character is
// ignored and a non-hex character reads as 0 (see HexDigitsToInt).
[[nodiscard]] std::vector<std::uint8_t> HexToBytes(std::string_view hex);

// True when `hex` is an even number of hex digits and nothing else.
[[nodiscard]] bool IsHexText(std::string_view hex);

// Upper-case hex text of the octets.
[[nodiscard]] std::string BytesToHex(std::span<const std::uint8_t> octets);

}  // namespace mivex::sms
