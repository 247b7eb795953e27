#pragma once

// Decoding of an SMS-DELIVER PDU as read from a phone in PDU mode: the
// service-centre field, then the TPDU of GSM 03.40.
//
// The octets come from outside and are trusted for nothing: every field is
// checked against the end of the PDU before it is read.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sms/file_time.h"

namespace mivex::sms {

// Working sizes of decoded text, in UTF-16 units including a terminator's
// place: a sender or message text keeps at most 199 units.
inline constexpr std::size_t kSenderTextCapacity = 200;
inline constexpr std::size_t kMessageTextCapacity = 200;

inline constexpr char16_t kUnknownFormatText[] = u"Unknown Message Format";
inline constexpr char16_t kNoMessageText[] = u"No Message";

// The ten values of a new Inbox record, named as the record's properties.
struct DeliverMessage {
    std::u16string SenderNumber;
    FileTime TimeStamp = 0;
    std::u16string Text;
    std::int32_t IsPart = 0;
    std::int32_t PartRef = 0;
    std::int32_t PartCount = 0;
    std::int32_t PartSeq = 0;
    std::int32_t Unread = 1;
    std::u16string SenderName;
    std::u16string SortKey;

    friend bool operator==(const DeliverMessage&, const DeliverMessage&) = default;
};

enum class DecodeStatus {
    Decoded,
    TooShort,              // fewer than the 10 octets of the smallest DELIVER
    ServiceCentreTooLong,  // the service-centre field runs past the end
    NotDeliver,            // message type indicator other than SMS-DELIVER
    AddressTruncated,      // the originating address runs past the end
    TimeStampTruncated,    // PID, DCS or the time stamp run past the end
    NoUserDataLength,      // the PDU ends before TP-UDL
    HeaderTruncated,       // the user-data header or one of its elements runs past the end
};

struct DeliverDecodeResult {
    DecodeStatus status = DecodeStatus::TooShort;
    DeliverMessage message;  // meaningful only when decoded

    [[nodiscard]] bool decoded() const { return status == DecodeStatus::Decoded; }
    // A whole message, as opposed to one part of a concatenated one.
    [[nodiscard]] bool whole() const { return decoded() && message.IsPart == 0; }
};

// Decodes the PDU; `pdu` starts with the service-centre length octet.
[[nodiscard]] DeliverDecodeResult DecodeDeliver(std::span<const std::uint8_t> pdu);

// One line saying why a PDU was not decoded, for logs and tools.
[[nodiscard]] std::string_view DescribeDecodeStatus(DecodeStatus status);

}  // namespace mivex::sms
