#pragma once

// The layouts of the three message folders' records, their sort keys, and
// the writer of Sent records. Records are always written whole, properties in
// number order; a reader takes a record as an Inbox record only when it has
// exactly 10 properties, as an Outbox or Sent record only with exactly 5.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/clock.h"
#include "sms/file_time.h"
#include "store/folder.h"
#include "store/property.h"
#include "store/sent_report.h"

namespace mivex::store {

namespace inbox {
inline constexpr std::uint16_t kSenderNumber = 0;  // string
inline constexpr std::uint16_t kTimeStamp = 1;     // FILETIME
inline constexpr std::uint16_t kText = 2;          // string
inline constexpr std::uint16_t kIsPart = 3;        // I4
inline constexpr std::uint16_t kPartRef = 4;       // I4
inline constexpr std::uint16_t kPartCount = 5;     // I4
inline constexpr std::uint16_t kPartSeq = 6;       // I4
inline constexpr std::uint16_t kUnread = 7;        // I4
inline constexpr std::uint16_t kSenderName = 8;    // string
inline constexpr std::uint16_t kSortKey = 9;       // string
inline constexpr std::size_t kPropCount = 10;
}  // namespace inbox

namespace outbox {
inline constexpr std::uint16_t kRecipientNumber = 0;  // string
inline constexpr std::uint16_t kRecipientName = 1;    // string
inline constexpr std::uint16_t kCreated = 2;          // FILETIME
inline constexpr std::uint16_t kText = 3;             // string
inline constexpr std::uint16_t kSendNow = 4;          // I4
inline constexpr std::size_t kPropCount = 5;
}  // namespace outbox

namespace sent {
inline constexpr std::uint16_t kRecipientNumber = 0;  // string
inline constexpr std::uint16_t kRecipientName = 1;    // string
inline constexpr std::uint16_t kSentTime = 2;         // FILETIME
inline constexpr std::uint16_t kText = 3;             // string
inline constexpr std::uint16_t kSortKey = 4;          // string
inline constexpr std::size_t kPropCount = 5;
// Only on messages sent with a report requested and a reference for every
// segment: what the reports said (see sent_report.h).
inline constexpr std::uint16_t kReportSegments = 5;  // blob
inline constexpr std::size_t kReportedPropCount = 6;
}  // namespace sent

struct InboxRecord {
    std::u16string SenderNumber;
    sms::FileTime TimeStamp = 0;
    std::u16string Text;
    std::int32_t IsPart = 0;
    std::int32_t PartRef = 0;
    std::int32_t PartCount = 0;
    std::int32_t PartSeq = 0;
    std::int32_t Unread = 1;
    std::u16string SenderName;
    std::u16string SortKey;

    friend bool operator==(const InboxRecord&, const InboxRecord&) = default;
};

struct OutboxRecord {
    std::u16string RecipientNumber;
    std::u16string RecipientName;
    sms::FileTime Created = 0;
    std::u16string Text;
    std::int32_t SendNow = 0;

    friend bool operator==(const OutboxRecord&, const OutboxRecord&) = default;
};

struct SentRecord {
    std::u16string RecipientNumber;
    std::u16string RecipientName;
    sms::FileTime SentTime = 0;
    std::u16string Text;
    std::u16string SortKey;
    std::optional<SentReport> ReportSegments = std::nullopt;  // when a report is awaited

    friend bool operator==(const SentRecord&, const SentRecord&) = default;
};

// The properties of a whole record, in number order.
[[nodiscard]] PropArray ToProps(const InboxRecord& record);
[[nodiscard]] PropArray ToProps(const OutboxRecord& record);
[[nodiscard]] PropArray ToProps(const SentRecord& record);

// The record held in a read's properties, or nothing when the shape is wrong.
[[nodiscard]] std::optional<InboxRecord> AsInboxRecord(std::span<const PropVal> props);
[[nodiscard]] std::optional<OutboxRecord> AsOutboxRecord(std::span<const PropVal> props);
[[nodiscard]] std::optional<SentRecord> AsSentRecord(std::span<const PropVal> props);

// Whether a read holds a Sent record: the five base properties, and
// optionally a report after them. A report that does not decode leaves a
// record without one rather than hiding the message.
[[nodiscard]] bool HasSentShape(std::span<const PropVal> props);

// "%-50.50s%10.10u%10.10u" of the name and the ones' complements of the time's
// high and low halves: 70 units, by name and then newest first.
inline constexpr std::size_t kSortKeyNameChars = 50;
[[nodiscard]] std::u16string MakeSortKey(std::u16string_view name, sms::FileTime time);

// The clock's local time as a file time (the time of queueing and sending).
[[nodiscard]] sms::FileTime LocalFileTime(platform::Clock& clock);

// Writes a new Sent record stamped with the clock's local time, with the
// report to await when there is one; the new id or 0.
[[nodiscard]] ObjectId WriteSentRecord(std::u16string_view text,
                                       std::u16string_view recipientNumber,
                                       std::u16string_view recipientName, Folder& sentFolder,
                                       platform::Clock& clock,
                                       std::optional<SentReport> report = std::nullopt);

}  // namespace mivex::store
