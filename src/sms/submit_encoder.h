#pragma once

// Encoding of SMS-SUBMIT PDUs for AT+CMGS in PDU mode. Texts always go in the
// GSM default alphabet; a text over 160 characters goes as concatenated
// segments of 153 behind an 8-bit-reference concatenation header.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace mivex::sms {

// A message text holds at most this many UTF-16 units, so its segment count
// always fits the one-octet count of the concatenation header.
inline constexpr std::size_t kMaxMessageChars = 9999;
inline constexpr std::size_t kSingleMessageChars = 160;
inline constexpr std::size_t kSegmentChars = 153;

// What a text of `lengthChars` characters leaves of its last SMS: the
// characters still free in the current one (160 for a single message, 153 per
// segment of a long one) and how many SMS it takes. An empty text is one SMS
// with 160 free; a text that fills its last segment exactly leaves 0.
struct MessageSpace {
    std::size_t leftChars = kSingleMessageChars;
    std::size_t segments = 1;

    friend bool operator==(const MessageSpace&, const MessageSpace&) = default;
};
[[nodiscard]] MessageSpace SpaceLeft(std::size_t lengthChars);

// TP-VP in relative format for the four validity choices (1 hour, 12 hours,
// 1 day, 1 week); no octet exists for any other choice.
[[nodiscard]] std::optional<std::uint8_t> ValidityPeriodOctet(int choice);

// First-octet flags and validity octet, settled once per sending run.
struct SubmitOptions {
    std::uint8_t firstOctetFlags = 0;  // TP-SRR 0x20 and TP-RP 0x80 as chosen
    std::uint8_t validityPeriod = 0x0B;
};

[[nodiscard]] SubmitOptions MakeSubmitOptions(bool statusReport, bool replyPath,
                                              std::uint8_t validityPeriod);

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

// One segment of a long message: its concatenation header and which characters
// of the text it carries.
struct Segment {
    std::uint8_t concatRef = 0;
    std::uint8_t count = 0;
    std::uint8_t sequence = 0;  // from 1
    std::size_t firstChar = 0;
    std::size_t charCount = 0;
};

struct EncodedPdu {
    std::vector<std::uint8_t> octets;  // service-centre field included
    int cmgsLength = 0;                // what AT+CMGS is given: octets after that field
};

// Number of PDUs a text of `length` characters goes in.
[[nodiscard]] int SegmentCount(std::size_t length);

// Segment `sequence` (from 1) of a text of `length` characters.
[[nodiscard]] Segment SegmentOf(std::size_t length, int sequence, std::uint8_t concatRef);

// The PDU of a whole message (no segment) or of one segment. The recipient is
// a filtered number; a text of a single message holds at most 160 characters
// and a segment at most 153: characters beyond are not sent.
[[nodiscard]] EncodedPdu BuildSubmitPdu(std::span<const std::uint8_t> serviceCentreField,
                                        std::u16string_view recipientNumber,
                                        std::u16string_view text,
                                        const std::optional<Segment>& segment,
                                        const SubmitOptions& options, std::uint8_t messageRef);

// Every PDU of one message in sending order, segmented under
// counters.ConcatRef when the text is longer than 160 characters. The caller
// advances the reference once the message has been handled.
[[nodiscard]] std::vector<EncodedPdu> BuildMessagePdus(
    std::span<const std::uint8_t> serviceCentreField, std::u16string_view recipientNumber,
    std::u16string_view text, const SubmitOptions& options, const SubmitCounters& counters);

}  // namespace mivex::sms
