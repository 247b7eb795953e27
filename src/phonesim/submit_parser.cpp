#include "phonesim/submit_parser.h"

#include <optional>

#include "sms/address_field.h"
#include "sms/pdu_reader.h"
#include "sms/semi_octets.h"
#include "sms/septets.h"

namespace mivex::phonesim {
namespace {

constexpr std::uint8_t kMessageTypeMask = 0x03;
constexpr std::uint8_t kMessageTypeSubmit = 0x01;
// TP-VPF, bits 4-3 of the first octet.
constexpr std::uint8_t kValidityFormatMask = 0x18;
constexpr std::uint8_t kValidityRelative = 0x10;
constexpr std::uint8_t kValidityEnhanced = 0x08;
constexpr std::uint8_t kValidityAbsolute = 0x18;
constexpr std::size_t kSevenOctetValidity = 7;

constexpr int kMaxAddressDigits = 20;
constexpr int kMaxSeptets = 160;
constexpr int kMaxUserDataOctets = 140;

std::size_t ValidityOctets(std::uint8_t firstOctet) {
    switch (firstOctet & kValidityFormatMask) {
        case kValidityRelative:
            return 1;
        case kValidityEnhanced:
        case kValidityAbsolute:
            return kSevenOctetValidity;
        default:
            return 0;
    }
}

std::string AsciiDigits(std::u16string_view digits) {
    // Semi-octet text is ASCII only: digits, "*", "#" and "a" to "c".
    return {digits.begin(), digits.end()};
}

// TP-DA: length in digits, type of address, semi-octets.
SubmitStatus ReadDestination(sms::PduReader& reader, SubmitTpdu& submit) {
    const std::optional<std::uint8_t> digits = reader.ReadOctet();
    const std::optional<std::uint8_t> type = reader.ReadOctet();
    if (!digits || !type) {
        return SubmitStatus::TooShort;
    }
    if (*digits > kMaxAddressDigits) {
        return SubmitStatus::AddressTooLong;
    }
    const auto value = reader.Read((std::size_t{*digits} + 1) / 2);
    if (!value) {
        return SubmitStatus::TooShort;
    }
    submit.destinationType = *type;
    const bool international = (*type & sms::kTypeOfNumberMask) == sms::kTypeInternational;
    submit.destination =
        (international ? "+" : "") + AsciiDigits(sms::SemiOctetsToText(*value, *digits));
    return SubmitStatus::Parsed;
}

SubmitStatus ReadUserData(sms::PduReader& reader, SubmitTpdu& submit) {
    const std::optional<std::uint8_t> length = reader.ReadOctet();
    if (!length) {
        return SubmitStatus::TooShort;
    }
    const bool septets = AlphabetOf(submit.dataCoding) == Alphabet::Default;
    if (*length > (septets ? kMaxSeptets : kMaxUserDataOctets)) {
        return SubmitStatus::UserDataTooLong;
    }
    const std::size_t octets =
        septets ? static_cast<std::size_t>(sms::SeptetOctets(0, *length)) : std::size_t{*length};
    const auto userData = reader.Read(octets);
    if (!userData) {
        return SubmitStatus::UserDataTruncated;
    }
    if (reader.Remaining() != 0) {
        return SubmitStatus::TrailingOctets;
    }
    // TP-UDHL counts the header octets after itself.
    if (submit.HasHeader() && (userData->empty() || std::size_t{(*userData)[0]} + 1 > octets)) {
        return SubmitStatus::HeaderTruncated;
    }
    submit.userDataLength = *length;
    submit.userData.assign(userData->begin(), userData->end());
    return SubmitStatus::Parsed;
}

SubmitStatus ReadTpdu(sms::PduReader& reader, SubmitTpdu& submit) {
    const std::optional<std::uint8_t> first = reader.ReadOctet();
    if (!first) {
        return SubmitStatus::TooShort;
    }
    if ((*first & kMessageTypeMask) != kMessageTypeSubmit) {
        return SubmitStatus::NotSubmit;
    }
    submit.firstOctet = *first;
    const std::optional<std::uint8_t> reference = reader.ReadOctet();
    if (!reference) {
        return SubmitStatus::TooShort;
    }
    submit.messageReference = *reference;
    if (const SubmitStatus status = ReadDestination(reader, submit);
        status != SubmitStatus::Parsed) {
        return status;
    }
    const std::optional<std::uint8_t> protocol = reader.ReadOctet();
    const std::optional<std::uint8_t> coding = reader.ReadOctet();
    const auto validity = reader.Read(ValidityOctets(*first));
    if (!protocol || !coding || !validity) {
        return SubmitStatus::TooShort;
    }
    submit.protocolIdentifier = *protocol;
    submit.dataCoding = *coding;
    submit.validityPeriod.assign(validity->begin(), validity->end());
    return ReadUserData(reader, submit);
}

}  // namespace

Alphabet AlphabetOf(std::uint8_t dataCoding) {
    const std::uint8_t group = dataCoding >> 4;
    if (group <= 0x7) {
        // General data coding, and automatic deletion (01xx) read the same:
        // compressed text (bit 5) is counted in octets; otherwise bits 3-2
        // name the alphabet (11 is reserved and read as 8-bit data, which at
        // least keeps every octet).
        if ((dataCoding & 0x20) != 0) {
            return Alphabet::EightBit;
        }
        switch ((dataCoding >> 2) & 0x03) {
            case 0:
                return Alphabet::Default;
            case 2:
                return Alphabet::Ucs2;
            default:
                return Alphabet::EightBit;
        }
    }
    if (group == 0xC || group == 0xD) {
        return Alphabet::Default;  // message waiting, store or discard: default alphabet
    }
    if (group == 0xE) {
        return Alphabet::Ucs2;
    }
    if (group == 0xF) {
        return (dataCoding & 0x04) != 0 ? Alphabet::EightBit : Alphabet::Default;
    }
    return Alphabet::EightBit;  // reserved groups
}

SubmitParseResult ParseSubmitPdu(std::span<const std::uint8_t> pdu) {
    SubmitParseResult result;
    if (pdu.empty()) {
        return result;
    }
    sms::PduReader reader(pdu);
    const std::uint8_t serviceCentreLength = *reader.ReadOctet();
    if (!reader.Read(serviceCentreLength)) {
        result.status = SubmitStatus::ServiceCentreTooLong;
        return result;
    }
    result.serviceCentreOctets = 1 + std::size_t{serviceCentreLength};
    result.status = ReadTpdu(reader, result.submit);
    return result;
}

std::string_view DescribeSubmitStatus(SubmitStatus status) {
    switch (status) {
        case SubmitStatus::Parsed:
            return "a well-formed SMS-SUBMIT";
        case SubmitStatus::Empty:
            return "no octets";
        case SubmitStatus::ServiceCentreTooLong:
            return "the service-centre field runs past the end";
        case SubmitStatus::NotSubmit:
            return "not an SMS-SUBMIT (TP-MTI is not 01)";
        case SubmitStatus::TooShort:
            return "the PDU ends inside its fixed fields";
        case SubmitStatus::AddressTooLong:
            return "TP-DA has more than 20 digits";
        case SubmitStatus::UserDataTooLong:
            return "TP-UDL is above 160 septets or 140 octets";
        case SubmitStatus::UserDataTruncated:
            return "the user data is shorter than TP-UDL";
        case SubmitStatus::HeaderTruncated:
            return "the user-data header is longer than the user data";
        case SubmitStatus::TrailingOctets:
            return "octets after the user data";
    }
    return "unknown status";
}

}  // namespace mivex::phonesim
