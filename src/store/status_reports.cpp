#include "store/status_reports.h"

#include <algorithm>

#include "sms/dial_number.h"
#include "store/message_records.h"

namespace mivex::store {

bool SameRecipient(std::u16string_view a, std::u16string_view b) {
    return (!a.empty() && a == b) || sms::CountCommonTail(a, b) >= sms::kMinMatchingTail;
}

void StatusReportBook::Load() {
    loaded_ = true;
    PropArray props;
    unreadable_ = ScanRecords(sent_, props, [&](ObjectId id, const PropArray& record) {
        std::optional<SentRecord> sent = AsSentRecord(record);
        if (!sent || !sent->ReportSegments)
            return;
        Awaiting awaiting{id, std::move(sent->RecipientNumber), sent->SentTime,
                          std::move(*sent->ReportSegments)};
        (void)sms::FilterDialChars(awaiting.number);
        awaiting_.push_back(std::move(awaiting));
    });
}

StatusReportBook::Awaiting* StatusReportBook::Find(const sms::StatusReport& report,
                                                   std::u16string_view number) {
    Awaiting* best = nullptr;
    const sms::FileTime stamped = report.serviceCentreTime;
    for (Awaiting& candidate : awaiting_) {
        const bool fitsTime = stamped + kClockSkewAllowance >= candidate.sentTime &&
                              stamped <= candidate.sentTime + kReportWindow;
        const auto& segments = candidate.report.segments;
        const bool hasReference =
            std::any_of(segments.begin(), segments.end(), [&](const SegmentReport& segment) {
                return segment.reference == report.messageReference;
            });
        if (!fitsTime || !hasReference || !SameRecipient(candidate.number, number))
            continue;
        // Object ids grow, so of two sent in the same second the later written wins.
        if (best == nullptr || candidate.sentTime > best->sentTime ||
            (candidate.sentTime == best->sentTime && candidate.id > best->id))
            best = &candidate;
    }
    return best;
}

ReportOutcome StatusReportBook::Record(const sms::StatusReport& report) {
    if (!loaded_)
        Load();
    std::u16string number = report.recipientNumber;
    (void)sms::FilterDialChars(number);
    Awaiting* awaiting = Find(report, number);
    if (awaiting == nullptr)
        return ReportOutcome::Unmatched;

    auto& segments = awaiting->report.segments;
    const auto segment =
        std::find_if(segments.begin(), segments.end(), [&](const SegmentReport& candidate) {
            return candidate.reference == report.messageReference;
        });
    // A discharge time of 0 would read as "no report yet".
    const sms::FileTime discharged = std::max<sms::FileTime>(report.dischargeTime, 1);
    if (segment->Reported() && discharged < segment->dischargeTime)
        return ReportOutcome::Recorded;  // an older report; the newer one is held

    segment->status = static_cast<std::uint8_t>(std::clamp(report.status, 0, 255));
    segment->dischargeTime = discharged;
    awaiting->changed = true;
    return ReportOutcome::Recorded;
}

bool StatusReportBook::Commit() {
    const bool written = sent_.Atomically([&] {
        for (const Awaiting& awaiting : awaiting_) {
            if (!awaiting.changed)
                continue;
            const PropVal blob =
                PropVal::Blob(sent::kReportSegments, EncodeSentReport(awaiting.report));
            if (sent_.WriteRecord(awaiting.id, std::span(&blob, 1)) != awaiting.id)
                return false;
        }
        return true;
    });
    if (!written) {
        // What is held no longer matches the disk: read it again when needed.
        awaiting_.clear();
        loaded_ = false;
        return false;
    }
    for (Awaiting& awaiting : awaiting_)
        awaiting.changed = false;
    return true;
}

}  // namespace mivex::store
