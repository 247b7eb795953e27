#include "transfer/report_intake.h"

#include <optional>
#include <utility>

#include "sms/status_report_decoder.h"
#include "transfer/receive_run.h"
#include "transfer/status_text.h"

namespace mivex::transfer {

namespace {

constexpr int kLargestOctet = 0xFF;

// The report's fields; none when they cannot be read (a PDU that runs past
// its end, or a link's values that no report octet holds).
std::optional<sms::StatusReport> ReadableReport(const phone::ReceivedMessage& message) {
    if (message.report) {
        const sms::StatusReport& report = *message.report;
        if (report.messageReference < 0 || report.messageReference > kLargestOctet ||
            report.status < 0 || report.status > kLargestOctet) {
            return std::nullopt;
        }
        return report;
    }
    sms::ReportDecodeResult decoded = sms::DecodeStatusReport(message.pdu);
    if (!decoded.decoded()) {
        return std::nullopt;
    }
    return std::move(decoded.report);
}

}  // namespace

bool ReportIntake::IsReport(const phone::ReceivedMessage& message) {
    return message.report.has_value() || sms::IsStatusReportPdu(message.pdu);
}

void ReportIntake::Take(const phone::ReceivedMessage& message, int index, int received,
                        bool deleteAfterReceive) {
    const std::optional<sms::StatusReport> report = ReadableReport(message);
    if (!report) {
        ++tally_.unreadable;
        return;
    }
    switch (book_.Record(*report)) {
        case store::ReportOutcome::Recorded:
            recorded_.push_back({index, received});
            return;
        case store::ReportOutcome::Unmatched:
            ++tally_.unmatched;
            if (deleteAfterReceive) {
                leaving_.push_back({index, received});
            }
            return;
    }
}

void ReportIntake::FinishStore(phone::MessageLink& link, platform::StatusSink& status) {
    const int count = static_cast<int>(recorded_.size());
    if (count != 0 && book_.Commit()) {
        tally_.recorded += count;
        leaving_.insert(leaving_.end(), recorded_.begin(), recorded_.end());
    } else {
        tally_.unstored += count;
    }
    recorded_.clear();
    for (const Slot& slot : leaving_) {
        if (link.DeleteMessage(slot.index)) {
            ShowProgress(status, DeletingText(slot.received));
        }
    }
    leaving_.clear();
}

}  // namespace mivex::transfer
