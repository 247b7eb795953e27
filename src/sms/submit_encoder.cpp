#include "sms/submit_encoder.h"

#include <algorithm>
#include <array>

#include "sms/address_field.h"
#include "sms/gsm_alphabet.h"
#include "sms/semi_octets.h"
#include "sms/septets.h"
#include "sms/text_measure.h"

namespace mivex::sms {
namespace {

// TP-MTI 01 (SMS-SUBMIT) with TP-VPF 10 (relative validity period).
constexpr std::uint8_t kSubmitFirstOctet = 0x11;
constexpr std::uint8_t kUserDataHeaderIndicator = 0x40;  // TP-UDHI
constexpr std::uint8_t kStatusReportRequest = 0x20;      // TP-SRR
constexpr std::uint8_t kReplyPath = 0x80;                // TP-RP
constexpr std::uint8_t kProtocolIdentifier = 0x00;
constexpr std::uint8_t kDataCodingDefault = 0x00;
constexpr std::uint8_t kDataCodingUcs2 = 0x08;

// The concatenation header: UDHL 5, element 00 (8-bit reference) of length 3.
// Its six octets are 48 bits, so one zero fill bit brings the text to bit 49,
// the next septet boundary.
constexpr std::uint8_t kConcatHeaderLength = 5;
constexpr std::uint8_t kConcatElement = 0x00;
constexpr std::uint8_t kConcatElementLength = 3;
constexpr int kConcatTextStartBit = 49;
constexpr int kConcatHeaderSeptets = 7;

// First octet, TP-MR, a 20-digit TP-DA, TP-PID, TP-DCS, TP-VP, TP-UDL and 140
// octets of user data: enough for any real PDU in one allocation.
constexpr std::size_t kTypicalTpduOctets = 2 + 12 + 4 + 140;

constexpr std::array<std::uint8_t, 4> kValidityOctets = {0x0B, 0x8F, 0xA7, 0xAD};

void AppendDestinationAddress(std::u16string_view number, std::vector<std::uint8_t>& pdu) {
    // TP-DA length counts digits (semi-octets); "+" travels only as the type.
    const int digits = TextToSemiOctets(number);
    pdu.push_back(static_cast<std::uint8_t>(digits));
    pdu.push_back(!number.empty() && number.front() == u'+' ? kAddressInternational
                                                            : kAddressUnknown);
    (void)TextToSemiOctets(number, &pdu);
}

}  // namespace

std::optional<std::uint8_t> ValidityPeriodOctet(int choice) {
    if (choice < 0 || choice >= static_cast<int>(kValidityOctets.size())) {
        return std::nullopt;
    }
    return kValidityOctets[static_cast<std::size_t>(choice)];
}

bool RequestsStatusReport(const SubmitOptions& options) {
    return (options.firstOctetFlags & kStatusReportRequest) != 0;
}

SubmitOptions MakeSubmitOptions(bool statusReport, bool replyPath, std::uint8_t validityPeriod) {
    SubmitOptions options;
    options.firstOctetFlags = static_cast<std::uint8_t>((statusReport ? kStatusReportRequest : 0) |
                                                        (replyPath ? kReplyPath : 0));
    options.validityPeriod = validityPeriod;
    return options;
}

std::vector<std::uint8_t> BuildServiceCentreField(bool usePhoneServiceCentre,
                                                  std::u16string_view serviceCentreText) {
    if (usePhoneServiceCentre) {
        return {0x00};
    }
    // Here the length octet counts the octets after it: the type and the value.
    const int digits = TextToSemiOctets(serviceCentreText);
    std::vector<std::uint8_t> field;
    field.push_back(static_cast<std::uint8_t>((digits + 1) / 2 + 1));
    field.push_back(kAddressInternational);
    (void)TextToSemiOctets(serviceCentreText, &field);
    return field;
}

std::vector<Segment> SegmentsOf(const TextMeasure& measure, std::uint8_t concatRef) {
    std::vector<Segment> segments;
    if (measure.ranges.size() < 2) {
        return segments;
    }
    segments.reserve(measure.ranges.size());
    for (const TextRange& range : measure.ranges) {
        segments.push_back({concatRef, static_cast<std::uint8_t>(measure.ranges.size()),
                            static_cast<std::uint8_t>(segments.size() + 1), measure.encoding,
                            range.firstUnit, range.unitCount});
    }
    return segments;
}

namespace {

// The PDU carrying `carried`, which fits one SMS (or one segment, behind the
// segment's header) in `encoding`.
EncodedPdu BuildPdu(std::span<const std::uint8_t> serviceCentreField,
                    std::u16string_view recipientNumber, std::u16string_view carried,
                    TextEncoding encoding, const Segment* segment, const SubmitOptions& options,
                    std::uint8_t messageRef) {
    const bool ucs2 = encoding == TextEncoding::Ucs2;
    EncodedPdu encoded;
    std::vector<std::uint8_t>& pdu = encoded.octets;
    pdu.reserve(serviceCentreField.size() + kTypicalTpduOctets);
    pdu.assign(serviceCentreField.begin(), serviceCentreField.end());
    pdu.push_back(static_cast<std::uint8_t>(kSubmitFirstOctet | options.firstOctetFlags |
                                            (segment ? kUserDataHeaderIndicator : 0)));
    pdu.push_back(messageRef);
    AppendDestinationAddress(recipientNumber, pdu);
    pdu.push_back(kProtocolIdentifier);
    pdu.push_back(ucs2 ? kDataCodingUcs2 : kDataCodingDefault);
    pdu.push_back(options.validityPeriod);

    // TP-UDL, then TP-UD from here.
    const std::size_t userDataAt = pdu.size() + 1;
    pdu.push_back(0);
    if (segment) {
        pdu.insert(pdu.end(), {kConcatHeaderLength, kConcatElement, kConcatElementLength,
                               segment->concatRef, segment->count, segment->sequence});
    }
    if (ucs2) {
        // TP-UDL counts octets, the header's six included; each UTF-16 unit
        // is two octets, high first.
        for (const char16_t unit : carried) {
            pdu.push_back(static_cast<std::uint8_t>(unit >> 8));
            pdu.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        }
        pdu[userDataAt - 1] = static_cast<std::uint8_t>(pdu.size() - userDataAt);
    } else {
        // TP-UDL counts septets, the header's seven included. The fill bit is
        // bit 0 of octet 6, left zero by the resize and kept by PackSeptets,
        // which writes from bit 49.
        const std::vector<std::uint8_t> codes = options.alphabet == AlphabetChoice::GsmOnly
                                                    ? TextToGsmCodes(carried)
                                                    : EncodeGsmText(carried);
        const int count = static_cast<int>(codes.size());
        const int startBit = segment ? kConcatTextStartBit : 0;
        pdu[userDataAt - 1] =
            static_cast<std::uint8_t>(count + (segment ? kConcatHeaderSeptets : 0));
        pdu.resize(userDataAt + static_cast<std::size_t>(SeptetOctets(startBit, count)));
        (void)PackSeptets(codes, startBit, std::span(pdu).subspan(userDataAt));
    }

    encoded.cmgsLength = static_cast<int>(pdu.size() - serviceCentreField.size());
    return encoded;
}

}  // namespace

EncodedPdu BuildSubmitPdu(std::span<const std::uint8_t> serviceCentreField,
                          std::u16string_view recipientNumber, std::u16string_view text,
                          const std::optional<Segment>& segment, const SubmitOptions& options,
                          std::uint8_t messageRef) {
    // A segment has the encoding of its whole message; a single message is
    // measured here. Either carries no more than fits.
    const TextEncoding encoding =
        segment ? segment->encoding : MeasureText(text, options.alphabet).encoding;
    const std::u16string_view given =
        segment ? text.substr(std::min(segment->firstUnit, text.size()), segment->unitCount) : text;
    const bool ucs2 = encoding == TextEncoding::Ucs2;
    const std::size_t capacity = ucs2 ? (segment ? kSegmentUcs2Units : kSingleMessageUcs2Units)
                                      : (segment ? kSegmentSeptets : kSingleMessageSeptets);
    const std::u16string_view carried =
        given.substr(0, FitUnits(given, encoding, options.alphabet, capacity).units);
    return BuildPdu(serviceCentreField, recipientNumber, carried, encoding,
                    segment ? &*segment : nullptr, options, messageRef);
}

std::vector<EncodedPdu> BuildMessagePdus(std::span<const std::uint8_t> serviceCentreField,
                                         std::u16string_view recipientNumber,
                                         std::u16string_view text, const SubmitOptions& options,
                                         const SubmitCounters& counters) {
    // The measure's ranges fit their SMS, so they need no second look.
    const TextMeasure measure = MeasureText(text, options.alphabet);
    std::vector<EncodedPdu> pdus;
    if (measure.segments == 1) {
        pdus.push_back(BuildPdu(serviceCentreField, recipientNumber, text, measure.encoding,
                                nullptr, options, counters.MessageRef));
        return pdus;
    }
    pdus.reserve(measure.segments);
    for (const Segment& segment : SegmentsOf(measure, counters.ConcatRef)) {
        pdus.push_back(BuildPdu(serviceCentreField, recipientNumber,
                                text.substr(segment.firstUnit, segment.unitCount), segment.encoding,
                                &segment, options, counters.MessageRef));
    }
    return pdus;
}

}  // namespace mivex::sms
