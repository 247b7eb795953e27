#pragma once

// What a Sent record remembers about the delivery reports of its message: for
// each segment the message reference the phone gave it and the latest report
// on it. A message sent without a report request, or before reports were
// read, has none.
//
// On disk it is one blob property: a format octet, then ten octets a segment
// (reference, TP-Status, discharge time as a little-endian file time, 0 while
// no report has come).

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sms/file_time.h"

namespace mivex::store {

struct SegmentReport {
    std::uint8_t reference = 0;       // TP-MR of the segment's SMS-SUBMIT
    std::uint8_t status = 0;          // TP-ST of the latest report
    sms::FileTime dischargeTime = 0;  // TP-DT of the latest report; 0 while none came

    [[nodiscard]] bool Reported() const { return dischargeTime != 0; }
    friend bool operator==(const SegmentReport&, const SegmentReport&) = default;
};

struct SentReport {
    std::vector<SegmentReport> segments;  // in segment order, never empty

    friend bool operator==(const SentReport&, const SentReport&) = default;
};

// What a message just sent awaits: nothing when no report was requested, or
// when the phone did not give every segment a reference (a report that
// cannot be matched would leave the message waiting for ever).
[[nodiscard]] std::optional<SentReport> ReportToAwait(
    bool requested, std::span<const std::optional<std::uint8_t>> references);

[[nodiscard]] std::vector<std::uint8_t> EncodeSentReport(const SentReport& report);
// Nothing for a blob of another format or length, or without segments.
[[nodiscard]] std::optional<SentReport> DecodeSentReport(std::span<const std::uint8_t> blob);

// Where the message stands, from its segments' latest reports.
enum class DeliveryKind {
    None,       // no report was asked for, or none can be matched
    Waiting,    // no report yet for some segment
    Trying,     // the network keeps trying some segment; none failed
    Delivered,  // every segment was delivered
    Failed,     // some segment will not be delivered
};

struct DeliverySummary {
    DeliveryKind kind = DeliveryKind::None;
    sms::FileTime time = 0;  // Delivered: the last segment's discharge time
    int status = 0;          // Trying, Failed: the TP-Status that says why

    friend bool operator==(const DeliverySummary&, const DeliverySummary&) = default;
};

// A failed segment fails the message; it is delivered only when every
// segment is.
[[nodiscard]] DeliverySummary Summarise(const std::optional<SentReport>& report);

}  // namespace mivex::store
