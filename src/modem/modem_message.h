#pragma once

// ModemManager's messages as the runs take them, and the runs' settings as
// ModemManager takes them. ModemManager decodes and joins messages itself, so
// what comes from it are fields, not PDUs; they come from outside and are
// checked like a PDU's.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "phone/message_link.h"
#include "sms/file_time.h"

namespace mivex::modem {

// The properties of one Sms object that a receive reads.
struct ModemSms {
    std::uint32_t pduType = 0;  // MMSmsPduType
    std::uint32_t state = 0;    // MMSmsState
    std::string number;         // UTF-8, as ModemManager gives it
    std::string text;           // UTF-8; empty for 8-bit data
    bool hasData = false;       // the message carries 8-bit data
    std::string timeStamp;      // ISO 8601
    std::uint32_t messageReference = 0;
    std::uint32_t deliveryState = 0;
    std::string dischargeTimeStamp;
};

// Whether a receive takes the message: a received message, or a delivery
// report. One still being received (its parts not all in), a message the user
// sent or a draft is none of the receive's business.
[[nodiscard]] bool IsReceivable(const ModemSms& sms);

// The Inbox values (or the report) of a receivable message: the sender cut to
// what a record keeps, the text with CR LF line breaks, 8-bit data as
// "Unknown Message Format" and an empty text as "No Message", the time stamp
// as the service centre's wall-clock time.
[[nodiscard]] phone::ReceivedMessage ReceivedFromModem(const ModemSms& sms);

// "2024-03-05T14:22:01+01:00" (any zone, or none) as its wall-clock time, the
// zone left out as the AT path leaves it out; a stamp that names no real time
// gives the same early fallback time as a broken PDU stamp.
[[nodiscard]] sms::FileTime ModemTimeStamp(std::string_view iso8601);

// TP-VP in relative format as the minutes ModemManager's "validity" takes.
[[nodiscard]] std::uint32_t ValidityMinutes(std::uint8_t validityOctet);

// The text as the GSM alphabet alone carries it: every other character
// becomes "?", as the AT path sends it with "Send only GSM characters" on.
[[nodiscard]] std::u16string ReduceToGsmAlphabet(std::u16string_view text);

}  // namespace mivex::modem
