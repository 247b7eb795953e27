#include "sms/address_field.h"

#include <array>

#include "sms/gsm_alphabet.h"
#include "sms/semi_octets.h"
#include "sms/septets.h"

namespace mivex::sms {
namespace {

constexpr char16_t kReservedAddressText[] = u"Reserved Address";

// An alphanumeric address packs GSM codes as septets into the value octets;
// the length octet still counts semi-octets, so 4 bits each.
std::u16string DecodeAlphanumeric(std::span<const std::uint8_t> value, std::uint8_t lengthDigits) {
    const int septets = lengthDigits * 4 / 7;
    std::array<std::uint8_t, 256 * 4 / 7 + 1> codes{};
    const int count = UnpackSeptets(value, septets, 0, codes);
    return DecodeGsmText(std::span(codes).first(static_cast<std::size_t>(count)));
}

}  // namespace

std::optional<std::u16string> DecodeAddressField(std::span<const std::uint8_t> field) {
    if (field.size() < 2 || field.size() < AddressFieldOctets(field[0])) {
        return std::nullopt;
    }
    const std::uint8_t lengthDigits = field[0];
    const std::uint8_t typeOfNumber = field[1] & kTypeOfNumberMask;
    const auto value = field.subspan(2, AddressFieldOctets(lengthDigits) - 2);
    switch (typeOfNumber) {
        case kTypeInternational:
            return u"+" + SemiOctetsToText(value, lengthDigits);
        case kTypeAlphanumeric:
            return DecodeAlphanumeric(value, lengthDigits);
        case kTypeReserved:
            return std::u16string(kReservedAddressText);
        default:
            return SemiOctetsToText(value, lengthDigits);
    }
}

}  // namespace mivex::sms
