#include "sms/deliver_decoder.h"

#include <algorithm>
#include <vector>

#include "sms/address_field.h"
#include "sms/gsm_alphabet.h"
#include "sms/line_ends.h"
#include "sms/pdu_reader.h"
#include "sms/septets.h"
#include "sms/time_stamp.h"

namespace mivex::sms {
namespace {

constexpr std::size_t kMinimumPduOctets = 10;
constexpr std::uint8_t kMessageTypeMask = 0x03;          // TP-MTI; 00 is SMS-DELIVER
constexpr std::uint8_t kUserDataHeaderIndicator = 0x40;  // TP-UDHI

// Information elements of the user-data header that mark a concatenated part.
constexpr std::uint8_t kConcat8BitReference = 0x00;
constexpr std::uint8_t kConcat16BitReference = 0x08;

// Longest text kept: the capacity less a terminator's place.
constexpr std::size_t kMaxSenderUnits = kSenderTextCapacity - 1;
constexpr std::size_t kMaxMessageUnits = kMessageTextCapacity - 1;

enum class Alphabet { Default, Ucs2, Unknown };

// TP-DCS by coding group (GSM 03.38 section 4). The message class and the
// indication kind make no difference: only whether the text is there and in
// which alphabet.
Alphabet AlphabetOf(std::uint8_t dataCoding) {
    const std::uint8_t group = dataCoding >> 4;
    if (group <= 0x7) {
        // General data coding, and the automatic-deletion group 01xx read as
        // 00xx: bit 5 marks compressed text, bits 3-2 name the alphabet.
        if ((dataCoding & 0x20) != 0) {
            return Alphabet::Unknown;
        }
        switch ((dataCoding >> 2) & 0x03) {
            case 0:
                return Alphabet::Default;
            case 2:
                return Alphabet::Ucs2;
            default:
                return Alphabet::Unknown;  // 8-bit data, or reserved
        }
    }
    // Message waiting, store message: the text is kept and shown. (Group 0xC,
    // discard message, carries nothing meant to be kept.)
    if (group == 0xD) {
        return Alphabet::Default;
    }
    if (group == 0xE) {
        return Alphabet::Ucs2;
    }
    // Data coding/message class: bit 2 chooses 8-bit data, bit 3 is reserved.
    if (group == 0xF && (dataCoding & 0x0C) == 0) {
        return Alphabet::Default;
    }
    return Alphabet::Unknown;
}

struct Concatenation {
    std::int32_t reference = 0;
    std::int32_t count = 0;
    std::int32_t sequence = 0;
};

// Looks through the header elements, which start at user-data octet 1 and
// continue while an element starts before octet 1 + headerLength, for the first
// usable concatenation element. False when an element runs past the user data.
bool FindConcatenation(std::span<const std::uint8_t> userData, std::size_t headerLength,
                       std::optional<Concatenation>& found) {
    const std::size_t headerEnd = 1 + headerLength;
    std::size_t position = 1;
    while (position < headerEnd) {
        if (position + 2 > userData.size()) {
            return false;
        }
        const std::uint8_t identifier = userData[position];
        const std::size_t length = userData[position + 1];
        if (position + 2 + length > userData.size()) {
            return false;
        }
        const auto data = userData.subspan(position + 2, length);
        std::optional<Concatenation> element;
        if (identifier == kConcat8BitReference && length == 3) {
            element = Concatenation{data[0], data[1], data[2]};
        } else if (identifier == kConcat16BitReference && length == 4) {
            // The reference is read low octet first; parts of one message are
            // matched only against each other, so the order just has to hold.
            element = Concatenation{data[0] | data[1] << 8, data[2], data[3]};
        }
        if (element && element->sequence >= 1 && element->sequence <= element->count) {
            found = element;
            return true;
        }
        position += 2 + length;
    }
    return true;
}

std::u16string DecodeDefaultAlphabet(std::span<const std::uint8_t> userData, int lengthSeptets,
                                     int skipSeptets) {
    // TP-UDL counts septets, header included; a phone that declares more than
    // it sends still gets every whole septet that is there.
    const int presentSeptets = static_cast<int>(userData.size() * 8 / 7);
    const int totalSeptets = std::min(lengthSeptets, presentSeptets);
    if (skipSeptets >= totalSeptets) {
        return {};
    }
    std::vector<std::uint8_t> codes(static_cast<std::size_t>(totalSeptets - skipSeptets));
    const int count = UnpackSeptets(userData, totalSeptets, skipSeptets, codes);
    std::u16string text = DecodeGsmText(std::span(codes).first(static_cast<std::size_t>(count)));
    text.resize(std::min(text.size(), kMaxMessageUnits));
    return text;
}

std::u16string DecodeUcs2(std::span<const std::uint8_t> userData, std::size_t lengthOctets,
                          std::size_t skipOctets) {
    // TP-UDL counts octets here; each character is two, high octet first, and
    // an odd last octet is no character.
    const std::size_t end = std::min(lengthOctets, userData.size());
    if (skipOctets >= end) {
        return {};
    }
    const std::size_t count = std::min((end - skipOctets) / 2, kMaxMessageUnits);
    std::u16string text;
    text.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = skipOctets + 2 * i;
        text.push_back(static_cast<char16_t>(userData[at] << 8 | userData[at + 1]));
    }
    return text;
}

// Reads the user-data header into the part values of `message`. Returns the
// octets the header takes, its length octet included, or nothing when it runs
// past the user data.
std::optional<std::size_t> ReadHeader(std::span<const std::uint8_t> userData,
                                      DeliverMessage& message) {
    if (userData.empty() || 1u + userData[0] > userData.size()) {
        return std::nullopt;
    }
    std::optional<Concatenation> concatenation;
    if (!FindConcatenation(userData, userData[0], concatenation)) {
        return std::nullopt;
    }
    if (concatenation) {
        message.IsPart = 1;
        message.PartRef = concatenation->reference;
        message.PartCount = concatenation->count;
        message.PartSeq = concatenation->sequence;
    }
    return 1u + userData[0];
}

// Septets a header takes in 7-bit text: it is followed by fill bits up to the
// next septet boundary.
int SeptetsOf(std::size_t headerOctets) {
    return static_cast<int>((8 * headerOctets + 6) / 7);
}

DeliverDecodeResult Fail(DecodeStatus status) {
    return {status, {}};
}

}  // namespace

DeliverDecodeResult DecodeDeliver(std::span<const std::uint8_t> pdu) {
    if (pdu.size() < kMinimumPduOctets) {
        return Fail(DecodeStatus::TooShort);
    }
    PduReader reader(pdu);
    // The service-centre field's length counts the octets after it.
    const std::uint8_t serviceCentreLength = *reader.ReadOctet();
    if (!reader.Read(serviceCentreLength) || reader.Remaining() == 0) {
        return Fail(DecodeStatus::ServiceCentreTooLong);
    }
    const std::uint8_t firstOctet = *reader.ReadOctet();
    if ((firstOctet & kMessageTypeMask) != 0) {
        return Fail(DecodeStatus::NotDeliver);
    }
    const bool hasHeader = (firstOctet & kUserDataHeaderIndicator) != 0;

    DeliverMessage message;
    const auto address = DecodeAddressField(reader.Rest());
    if (!address) {
        return Fail(DecodeStatus::AddressTruncated);
    }
    (void)reader.Read(AddressFieldOctets(reader.Rest()[0]));
    message.SenderNumber = address->substr(0, kMaxSenderUnits);

    const auto protocolCodingStamp = reader.Read(2 + kTimeStampOctets);
    if (!protocolCodingStamp) {
        return Fail(DecodeStatus::TimeStampTruncated);
    }
    const std::uint8_t dataCoding = (*protocolCodingStamp)[1];
    message.TimeStamp = DecodeTimeStamp(protocolCodingStamp->subspan<2, kTimeStampOctets>());
    const auto userDataLength = reader.ReadOctet();
    if (!userDataLength) {
        return Fail(DecodeStatus::NoUserDataLength);
    }
    const auto userData = reader.Rest();

    const Alphabet alphabet = AlphabetOf(dataCoding);
    if (alphabet == Alphabet::Unknown) {
        message.Text = kUnknownFormatText;
        return {DecodeStatus::Decoded, std::move(message)};
    }

    std::size_t headerOctets = 0;
    if (hasHeader) {
        const auto header = ReadHeader(userData, message);
        if (!header) {
            return Fail(DecodeStatus::HeaderTruncated);
        }
        headerOctets = *header;
    }
    message.Text = alphabet == Alphabet::Default
                       ? DecodeDefaultAlphabet(userData, *userDataLength, SeptetsOf(headerOctets))
                       : DecodeUcs2(userData, *userDataLength, headerOctets);
    if (message.Text.empty()) {
        message.Text = kNoMessageText;
    } else {
        (void)NormaliseLineEnds(message.Text, kMessageTextCapacity);
    }
    return {DecodeStatus::Decoded, std::move(message)};
}

std::string_view DescribeDecodeStatus(DecodeStatus status) {
    switch (status) {
        case DecodeStatus::Decoded:
            return "decoded";
        case DecodeStatus::TooShort:
            return "PDU too short: an SMS-DELIVER has at least 10 octets";
        case DecodeStatus::ServiceCentreTooLong:
            return "service-centre field runs past the end of the PDU";
        case DecodeStatus::NotDeliver:
            return "not an SMS-DELIVER (message type indicator is not 00)";
        case DecodeStatus::AddressTruncated:
            return "originating address runs past the end of the PDU";
        case DecodeStatus::TimeStampTruncated:
            return "PDU ends inside the protocol identifier, coding scheme or time stamp";
        case DecodeStatus::NoUserDataLength:
            return "PDU ends before the user-data length";
        case DecodeStatus::HeaderTruncated:
            return "user-data header runs past the end of the PDU";
    }
    return "unknown decode status";
}

}  // namespace mivex::sms
