#pragma once

// Helpers shared by the codec tests: octets written as spaced hex so vectors
// read like a protocol trace, and an SMS-DELIVER PDU built around a vector.

#include <cstdint>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace mivex::sms::test {

// "00 04 0B" gives the octets 00 04 0B.
inline std::vector<std::uint8_t> Octets(std::string_view spacedHex) {
    std::istringstream in{std::string(spacedHex)};
    std::vector<std::uint8_t> octets;
    for (unsigned octet = 0; in >> std::hex >> octet;)
        octets.push_back(static_cast<std::uint8_t>(octet));
    return octets;
}

// The octets as spaced hex, so a failed comparison prints like the vector.
inline std::string SpacedHex(std::span<const std::uint8_t> octets) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t octet : octets)
        text += {' ', kDigits[octet >> 4], kDigits[octet & 0x0F]};
    return text.empty() ? text : text.substr(1);
}

template <class Char>
std::basic_string<Char> Repeat(const Char* text, int times) {
    std::basic_string<Char> repeated;
    while (times-- > 0)
        repeated += text;
    return repeated;
}

// An SMS-DELIVER with no service centre, from +44770090012, stamped 2004-12-15
// 13:05:08. `vector` gives its first octet and TP-DCS, then TP-UDL and the user
// data: "44 08 04 ..." is a UCS2 text behind a header.
inline std::vector<std::uint8_t> DeliverPdu(std::string_view vector) {
    const std::string given(vector);
    return Octets("00 " + given.substr(0, 2) + " 0B 91 44 77 00 09 10 F2 00 " + given.substr(3, 2) +
                  " 40 21 51 31 50 80 00" + given.substr(5));
}

}  // namespace mivex::sms::test
