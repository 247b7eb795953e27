#pragma once

// Encoding of SMS-SUBMIT PDUs for AT+CMGS in PDU mode. A text goes in GSM
// 7-bit or UCS2 as MeasureText decides; a text too long for one SMS goes as
// concatenated segments behind an 8-bit-reference concatenation header.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "sms/text_measure.h"

namespace mivex::sms {

// TP-VP in relative format for the four validity choices (1 hour, 12 hours,
// 1 day, 1 week); no octet exists for any other choice.
[[nodiscard]] std::optional<std::uint8_t> ValidityPeriodOctet(int choice);

// First-octet flags, validity octet and alphabet, settled once per sending run.
struct SubmitOptions {
    std::uint8_t firstOctetFlags = 0;  // TP-SRR 0x20 and TP-RP 0x80 as chosen
    std::uint8_t validityPeriod = 0x0B;
    AlphabetChoice alphabet = AlphabetChoice::Automatic;
};

[[nodiscard]] SubmitOptions MakeSubmitOptions(bool statusReport, bool replyPath,
                                              std::uint8_t validityPeriod);

// Whether the PDUs ask the network for a status report (TP-SRR).
[[nodiscard]] bool RequestsStatusReport(const SubmitOptions& options);

// The program-wide counters of the sending run. MessageRef stays 0 so the phone
// numbers the messages; ConcatRef moves on after every segmented message,
// whether all its segments went or not, so a retry never reuses a reference.
struct SubmitCounters {
    std::uint8_t MessageRef = 0;
    std::uint8_t ConcatRef = 0;

    void AdvanceConcatRef() { ConcatRef = static_cast<std::uint8_t>(ConcatRef + 1); }
};

// The service-centre field that opens the PDU: the single octet 00 (the phone
// uses its own centre) or length, 0x91 and the digits of the filtered number.
[[nodiscard]] std::vector<std::uint8_t> BuildServiceCentreField(
    bool usePhoneServiceCentre, std::u16string_view serviceCentreText);

// One segment of a long message: its concatenation header, the encoding of
// the whole message and which UTF-16 units of the text it carries.
struct Segment {
    std::uint8_t concatRef = 0;
    std::uint8_t count = 0;
    std::uint8_t sequence = 0;  // from 1
    TextEncoding encoding = TextEncoding::Gsm7Bit;
    std::size_t firstUnit = 0;
    std::size_t unitCount = 0;
};

struct EncodedPdu {
    std::vector<std::uint8_t> octets;  // service-centre field included
    int cmgsLength = 0;                // what AT+CMGS is given: octets after that field
};

// The segments of a text that MeasureText found too long for one SMS, under
// `concatRef`; none for a single message.
[[nodiscard]] std::vector<Segment> SegmentsOf(const TextMeasure& measure, std::uint8_t concatRef);

// The PDU of a whole message (no segment) or of one segment. The recipient is
// a filtered number. A single message carries what fits in one SMS and a
// segment what fits in a segment: characters beyond are not sent.
[[nodiscard]] EncodedPdu BuildSubmitPdu(std::span<const std::uint8_t> serviceCentreField,
                                        std::u16string_view recipientNumber,
                                        std::u16string_view text,
                                        const std::optional<Segment>& segment,
                                        const SubmitOptions& options, std::uint8_t messageRef);

// Every PDU of one message in sending order, segmented under
// counters.ConcatRef when the text does not fit one SMS. The caller advances
// the reference once the message has been handled.
[[nodiscard]] std::vector<EncodedPdu> BuildMessagePdus(
    std::span<const std::uint8_t> serviceCentreField, std::u16string_view recipientNumber,
    std::u16string_view text, const SubmitOptions& options, const SubmitCounters& counters);

}  // namespace mivex::sms
