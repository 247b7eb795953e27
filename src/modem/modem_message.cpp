#include "modem/modem_message.h"

#include <ModemManager.h>

#include <charconv>

#include "sms/deliver_decoder.h"
#include "sms/gsm_alphabet.h"
#include "sms/line_ends.h"
#include "sms/text_measure.h"
#include "sms/time_stamp.h"
#include "text/utf8.h"

namespace mivex::modem {

namespace {

constexpr std::size_t kMaxSenderUnits = sms::kSenderTextCapacity - 1;
// A joined message may be long, but never longer than a message the program
// itself would send.
constexpr std::size_t kMaxTextUnits = sms::kMaxMessageChars;

// Text that is not UTF-8 is no text the record can keep.
std::u16string FromUtf8(std::string_view utf8) {
    return text::Utf8ToUtf16(utf8).value_or(std::u16string());
}

std::u16string CutToUnits(std::u16string text, std::size_t units) {
    if (text.size() > units) {
        // Never keep half of a surrogate pair at the cut.
        std::size_t cut = units;
        if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) {
            --cut;
        }
        text.resize(cut);
    }
    return text;
}

// Reads `digits` decimal digits at `at`, or nothing.
std::optional<int> Field(std::string_view text, std::size_t at, std::size_t digits) {
    if (at + digits > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    const char* first = text.data() + at;
    const auto [end, error] = std::from_chars(first, first + digits, value);
    if (error != std::errc() || end != first + digits) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

bool IsReceivable(const ModemSms& sms) {
    if (sms.state != MM_SMS_STATE_RECEIVED) {
        return false;
    }
    return sms.pduType == MM_SMS_PDU_TYPE_DELIVER || sms.pduType == MM_SMS_PDU_TYPE_CDMA_DELIVER ||
           sms.pduType == MM_SMS_PDU_TYPE_STATUS_REPORT;
}

phone::ReceivedMessage ReceivedFromModem(const ModemSms& sms) {
    phone::ReceivedMessage received;
    if (sms.pduType == MM_SMS_PDU_TYPE_STATUS_REPORT) {
        // ModemManager gives the report's TP-ST as its delivery state, with
        // values past one octet for a state it does not know; such a report
        // is kept as it came and counted as unreadable when it is taken.
        received.report = sms::StatusReport{
            .messageReference = static_cast<int>(sms.messageReference),
            .recipientNumber = CutToUnits(FromUtf8(sms.number), kMaxSenderUnits),
            .serviceCentreTime = ModemTimeStamp(sms.timeStamp),
            .dischargeTime = ModemTimeStamp(sms.dischargeTimeStamp),
            .status = static_cast<int>(sms.deliveryState),
        };
        return received;
    }
    sms::DeliverMessage message;
    message.SenderNumber = CutToUnits(FromUtf8(sms.number), kMaxSenderUnits);
    message.TimeStamp = ModemTimeStamp(sms.timeStamp);
    message.Text = CutToUnits(FromUtf8(sms.text), kMaxTextUnits);
    if (message.Text.empty()) {
        message.Text = sms.hasData ? sms::kUnknownFormatText : sms::kNoMessageText;
    } else {
        (void)sms::NormaliseLineEnds(message.Text, kMaxTextUnits + 1);
    }
    received.deliver = std::move(message);
    return received;
}

sms::FileTime ModemTimeStamp(std::string_view iso8601) {
    // YYYY-MM-DDTHH:MM:SS, then seconds' fractions or a zone, which are left out.
    constexpr std::size_t kLength = 19;
    if (iso8601.size() < kLength || iso8601[4] != '-' || iso8601[7] != '-' ||
        (iso8601[10] != 'T' && iso8601[10] != ' ') || iso8601[13] != ':' || iso8601[16] != ':') {
        return sms::FallbackTimeStamp();
    }
    const auto year = Field(iso8601, 0, 4);
    const auto month = Field(iso8601, 5, 2);
    const auto day = Field(iso8601, 8, 2);
    const auto hour = Field(iso8601, 11, 2);
    const auto minute = Field(iso8601, 14, 2);
    const auto second = Field(iso8601, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second) {
        return sms::FallbackTimeStamp();
    }
    return sms::CalendarToFileTime({*year, *month, *day, *hour, *minute, *second, 0})
        .value_or(sms::FallbackTimeStamp());
}

std::uint32_t ValidityMinutes(std::uint8_t octet) {
    // 3GPP TS 23.040 9.2.3.12.1: 5-minute steps to 12 hours, then half hours
    // to a day, then days to 30 days, then weeks.
    if (octet <= 143) {
        return (octet + 1U) * 5U;
    }
    if (octet <= 167) {
        return 12U * 60U + (octet - 143U) * 30U;
    }
    if (octet <= 196) {
        return (octet - 166U) * 24U * 60U;
    }
    return (octet - 192U) * 7U * 24U * 60U;
}

std::u16string ReduceToGsmAlphabet(std::u16string_view text) {
    return sms::GsmCodesToText(sms::TextToGsmCodes(text));
}

}  // namespace mivex::modem
