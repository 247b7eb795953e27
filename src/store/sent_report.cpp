#include "store/sent_report.h"

#include <algorithm>

#include "sms/delivery_status.h"

namespace mivex::store {
namespace {

constexpr std::uint8_t kReportFormat = 1;
constexpr std::size_t kSegmentOctets = 1 + 1 + 8;

}  // namespace

std::optional<SentReport> ReportToAwait(bool requested,
                                        std::span<const std::optional<std::uint8_t>> references) {
    if (!requested || references.empty())
        return std::nullopt;
    SentReport report;
    for (const std::optional<std::uint8_t>& reference : references) {
        if (!reference)
            return std::nullopt;
        report.segments.push_back({*reference, 0, 0});
    }
    return report;
}

std::vector<std::uint8_t> EncodeSentReport(const SentReport& report) {
    std::vector<std::uint8_t> blob{kReportFormat};
    for (const SegmentReport& segment : report.segments) {
        blob.push_back(segment.reference);
        blob.push_back(segment.status);
        for (int shift = 0; shift < 64; shift += 8)
            blob.push_back(static_cast<std::uint8_t>(segment.dischargeTime >> shift));
    }
    return blob;
}

std::optional<SentReport> DecodeSentReport(std::span<const std::uint8_t> blob) {
    if (blob.size() < 1 + kSegmentOctets || blob[0] != kReportFormat ||
        (blob.size() - 1) % kSegmentOctets != 0)
        return std::nullopt;
    SentReport report;
    for (std::size_t at = 1; at < blob.size(); at += kSegmentOctets) {
        SegmentReport segment{blob[at], blob[at + 1], 0};
        for (int octet = 7; octet >= 0; --octet)
            segment.dischargeTime = segment.dischargeTime << 8 | blob[at + 2 + octet];
        report.segments.push_back(segment);
    }
    return report;
}

DeliverySummary Summarise(const std::optional<SentReport>& report) {
    if (!report || report->segments.empty())
        return {};
    DeliverySummary summary{DeliveryKind::Delivered, 0, 0};
    for (const SegmentReport& segment : report->segments) {
        if (!segment.Reported()) {
            if (summary.kind == DeliveryKind::Delivered)
                summary = {DeliveryKind::Waiting, 0, 0};
            continue;
        }
        switch (sms::ClassifyReportStatus(segment.status)) {
            case sms::DeliveryState::Failed:
                return {DeliveryKind::Failed, segment.dischargeTime, segment.status};
            case sms::DeliveryState::Trying:
                summary = {DeliveryKind::Trying, 0, segment.status};
                break;
            case sms::DeliveryState::Delivered:
                if (summary.kind == DeliveryKind::Delivered)
                    summary.time = std::max(summary.time, segment.dischargeTime);
                break;
        }
    }
    return summary;
}

}  // namespace mivex::store
