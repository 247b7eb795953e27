#include "transfer/report_intake.h"

#include "phone/at_exchanges.h"
#include "sms/status_report_decoder.h"
#include "transfer/receive_run.h"
#include "transfer/status_text.h"

namespace mivex::transfer {

bool ReportIntake::IsReport(std::span<const std::uint8_t> pdu) {
    return sms::IsStatusReportPdu(pdu);
}

void ReportIntake::Take(std::span<const std::uint8_t> pdu, int index, int received,
                        bool deleteAfterReceive) {
    const sms::ReportDecodeResult decoded = sms::DecodeStatusReport(pdu);
    if (!decoded.decoded()) {
        ++tally_.unreadable;
        return;
    }
    switch (book_.Record(decoded.report)) {
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

void ReportIntake::FinishStore(phone::PortHandle& port, platform::StatusSink& status) {
    const int count = static_cast<int>(recorded_.size());
    if (count != 0 && book_.Commit()) {
        tally_.recorded += count;
        leaving_.insert(leaving_.end(), recorded_.begin(), recorded_.end());
    } else {
        tally_.unstored += count;
    }
    recorded_.clear();
    for (const Slot& slot : leaving_) {
        if (phone::DeleteStoredMessage(port, slot.index)) {
            ShowProgress(status, DeletingText(slot.received));
        }
    }
    leaving_.clear();
}

}  // namespace mivex::transfer
