#pragma once

// Address fields of GSM 03.40: a length octet, a type-of-address octet, then
// the value. In TP-OA and TP-DA the length counts semi-octets (digits).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace mivex::sms {

// Type of number: bits 6-4 of the type-of-address octet.
inline constexpr std::uint8_t kTypeOfNumberMask = 0x70;
inline constexpr std::uint8_t kTypeInternational = 0x10;
inline constexpr std::uint8_t kTypeAlphanumeric = 0x50;
inline constexpr std::uint8_t kTypeReserved = 0x70;

// Type-of-address octets the program writes: numbering plan 1 (telephone),
// international for a number that begins with "+", unknown otherwise.
inline constexpr std::uint8_t kAddressInternational = 0x91;
inline constexpr std::uint8_t kAddressUnknown = 0x81;

// Octets an address field takes whose length octet says `lengthDigits`.
[[nodiscard]] constexpr std::size_t AddressFieldOctets(std::uint8_t lengthDigits) {
    return 2 + (static_cast<std::size_t>(lengthDigits) + 1) / 2;
}

// Decodes the originating address whose length octet is field[0]: digits (with
// a leading "+" when international), an alphanumeric name in packed GSM codes,
// or "Reserved Address" for type of number 7. Nothing when the field runs past
// the end of `field`.
[[nodiscard]] std::optional<std::u16string> DecodeAddressField(std::span<const std::uint8_t> field);

}  // namespace mivex::sms
