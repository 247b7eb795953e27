#include "store/message_records.h"

#include <algorithm>
#include <cstdio>

namespace mivex::store {

namespace {

std::u16string StringOf(std::span<const PropVal> props, std::uint16_t number) {
    const std::u16string* text = FindPropString(props, number);
    return text != nullptr ? *text : std::u16string();
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Brings every field into the range a file time can be made from. A clock
// can report a leap second (second 60) or, broken, nonsense; the record then
// still gets the nearest valid time rather than none.
sms::CalendarTime ClampToValid(const platform::LocalTime& local) {
    sms::CalendarTime time;
    time.year = std::clamp(local.year, 1601, 30827);
    time.month = std::clamp(local.month, 1, 12);
    time.day = std::clamp(local.day, 1, DaysInMonth(time.year, time.month));
    time.hour = std::clamp(local.hour, 0, 23);
    time.minute = std::clamp(local.minute, 0, 59);
    time.second = std::clamp(local.second, 0, 59);
    time.millisecond = std::clamp(local.millisecond, 0, 999);
    return time;
}

}  // namespace

PropArray ToProps(const InboxRecord& record) {
    return {
        PropVal::String(inbox::kSenderNumber, record.SenderNumber),
        PropVal::Time(inbox::kTimeStamp, record.TimeStamp),
        PropVal::String(inbox::kText, record.Text),
        PropVal::I4(inbox::kIsPart, record.IsPart),
        PropVal::I4(inbox::kPartRef, record.PartRef),
        PropVal::I4(inbox::kPartCount, record.PartCount),
        PropVal::I4(inbox::kPartSeq, record.PartSeq),
        PropVal::I4(inbox::kUnread, record.Unread),
        PropVal::String(inbox::kSenderName, record.SenderName),
        PropVal::String(inbox::kSortKey, record.SortKey),
    };
}

PropArray ToProps(const OutboxRecord& record) {
    return {
        PropVal::String(outbox::kRecipientNumber, record.RecipientNumber),
        PropVal::String(outbox::kRecipientName, record.RecipientName),
        PropVal::Time(outbox::kCreated, record.Created),
        PropVal::String(outbox::kText, record.Text),
        PropVal::I4(outbox::kSendNow, record.SendNow),
    };
}

PropArray ToProps(const SentRecord& record) {
    PropArray props{
        PropVal::String(sent::kRecipientNumber, record.RecipientNumber),
        PropVal::String(sent::kRecipientName, record.RecipientName),
        PropVal::Time(sent::kSentTime, record.SentTime),
        PropVal::String(sent::kText, record.Text),
        PropVal::String(sent::kSortKey, record.SortKey),
    };
    if (record.ReportSegments)
        props.push_back(
            PropVal::Blob(sent::kReportSegments, EncodeSentReport(*record.ReportSegments)));
    return props;
}

std::optional<InboxRecord> AsInboxRecord(std::span<const PropVal> props) {
    if (props.size() != inbox::kPropCount)
        return std::nullopt;
    InboxRecord record;
    record.SenderNumber = StringOf(props, inbox::kSenderNumber);
    record.TimeStamp = FindPropFileTime(props, inbox::kTimeStamp);
    record.Text = StringOf(props, inbox::kText);
    record.IsPart = FindPropI4(props, inbox::kIsPart);
    record.PartRef = FindPropI4(props, inbox::kPartRef);
    record.PartCount = FindPropI4(props, inbox::kPartCount);
    record.PartSeq = FindPropI4(props, inbox::kPartSeq);
    record.Unread = FindPropI4(props, inbox::kUnread);
    record.SenderName = StringOf(props, inbox::kSenderName);
    record.SortKey = StringOf(props, inbox::kSortKey);
    return record;
}

std::optional<OutboxRecord> AsOutboxRecord(std::span<const PropVal> props) {
    if (props.size() != outbox::kPropCount)
        return std::nullopt;
    OutboxRecord record;
    record.RecipientNumber = StringOf(props, outbox::kRecipientNumber);
    record.RecipientName = StringOf(props, outbox::kRecipientName);
    record.Created = FindPropFileTime(props, outbox::kCreated);
    record.Text = StringOf(props, outbox::kText);
    record.SendNow = FindPropI4(props, outbox::kSendNow);
    return record;
}

bool HasSentShape(std::span<const PropVal> props) {
    // The report is the sixth property and nothing else may be: records of
    // other shapes stay skipped, as they always were.
    return props.size() == sent::kPropCount ||
           (props.size() == sent::kReportedPropCount &&
            props.back().id == MakePropId(sent::kReportSegments, PropType::Blob));
}

std::optional<SentRecord> AsSentRecord(std::span<const PropVal> props) {
    if (!HasSentShape(props))
        return std::nullopt;
    SentRecord record;
    record.RecipientNumber = StringOf(props, sent::kRecipientNumber);
    record.RecipientName = StringOf(props, sent::kRecipientName);
    record.SentTime = FindPropFileTime(props, sent::kSentTime);
    record.Text = StringOf(props, sent::kText);
    record.SortKey = StringOf(props, sent::kSortKey);
    if (props.size() == sent::kReportedPropCount)
        record.ReportSegments = DecodeSentReport(FindPropBlob(props, sent::kReportSegments));
    return record;
}

std::u16string MakeSortKey(std::u16string_view name, sms::FileTime time) {
    // The name counts in UTF-16 units, as the fixed-width key needs; the two
    // complemented halves make later times sort first within one name.
    std::u16string key(name.substr(0, kSortKeyNameChars));
    key.resize(kSortKeyNameChars, u' ');
    const auto high = static_cast<std::uint32_t>(~(time >> 32));
    const auto low = static_cast<std::uint32_t>(~time);
    char digits[21];
    std::snprintf(digits, sizeof digits, "%010u%010u", high, low);
    for (const char* c = digits; *c != '\0'; ++c)
        key.push_back(static_cast<char16_t>(*c));
    return key;
}

sms::FileTime LocalFileTime(platform::Clock& clock) {
    // Clamped fields always convert; the fallback only guards the contract.
    return sms::CalendarToFileTime(ClampToValid(clock.Local())).value_or(0);
}

ObjectId WriteSentRecord(std::u16string_view text, std::u16string_view recipientNumber,
                         std::u16string_view recipientName, Folder& sentFolder,
                         platform::Clock& clock, std::optional<SentReport> report) {
    SentRecord record;
    record.RecipientNumber = recipientNumber;
    record.RecipientName = recipientName;
    record.SentTime = LocalFileTime(clock);
    record.Text = text;
    record.SortKey = MakeSortKey(recipientName, record.SentTime);
    record.ReportSegments = std::move(report);
    return sentFolder.WriteRecord(0, ToProps(record));
}

}  // namespace mivex::store
