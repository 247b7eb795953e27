#include "deliver_invariants.h"

#include <charconv>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "sms/file_time.h"

namespace mivex::fuzz {
namespace {

int FieldValue(std::string_view text, std::size_t offset, std::size_t digits) {
    int value = -1;
    const char* first = text.data() + offset;
    std::from_chars(first, first + digits, value);
    return value;
}

// The stamp's "YYYY-MM-DD HH:MM:SS" text must name a real calendar time that
// converts back to exactly the stamp: a decoded stamp has no sub-second part.
// Years run from 2000 (the fallback, and a year octet of 00) to 2165 (the
// largest value two nibbles can spell as tens and units).
bool IsRealStampTime(sms::FileTime stamp) {
    static constexpr std::string_view kShape = "dddd-dd-dd dd:dd:dd";
    const std::string text = sms::FormatFileTime(stamp);
    if (text.size() != kShape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool isDigit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == 'd' ? !isDigit : text[i] != kShape[i]) {
            return false;
        }
    }
    sms::CalendarTime fields;
    fields.year = FieldValue(text, 0, 4);
    fields.month = FieldValue(text, 5, 2);
    fields.day = FieldValue(text, 8, 2);
    fields.hour = FieldValue(text, 11, 2);
    fields.minute = FieldValue(text, 14, 2);
    fields.second = FieldValue(text, 17, 2);
    if (fields.year < 2000 || fields.year > 2165) {
        return false;
    }
    const auto back = sms::CalendarToFileTime(fields);
    return back && *back == stamp;
}

}  // namespace

void CheckDeliverInvariants(const sms::DeliverDecodeResult& result) {
    Require(!sms::DescribeDecodeStatus(result.status).empty(), "every status has a description");
    if (!result.decoded()) {
        return;
    }
    const sms::DeliverMessage& message = result.message;
    Require(message.SenderNumber.size() < sms::kSenderTextCapacity,
            "SenderNumber keeps at most 199 units");
    Require(message.Text.size() < sms::kMessageTextCapacity, "Text keeps at most 199 units");
    Require(message.IsPart == 0 || message.IsPart == 1, "IsPart is 0 or 1");
    if (message.IsPart == 1) {
        Require(message.PartSeq >= 1 && message.PartSeq <= message.PartCount,
                "a part's sequence lies in 1..PartCount");
        Require(message.PartRef >= 0 && message.PartRef <= 0xFFFF,
                "a part's reference fits 16 bits");
    } else {
        Require(message.PartRef == 0 && message.PartCount == 0 && message.PartSeq == 0,
                "a whole message has no part fields");
    }
    Require(result.whole() == (message.IsPart == 0), "whole() means not a part");
    Require(message.Unread == 1, "a new record is unread");
    Require(message.SenderName.empty() && message.SortKey.empty(),
            "SenderName and SortKey are left for the name lookup");
    Require(IsRealStampTime(message.TimeStamp), "the time stamp is a real time");
}

}  // namespace mivex::fuzz
