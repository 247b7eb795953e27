#include "transfer/report_intake.h"

#include "sms/status_report_decoder.h"

namespace mivex::transfer {

bool ReportIntake::IsReport(std::span<const std::uint8_t> pdu) {
    return sms::IsStatusReportPdu(pdu);
}

bool ReportIntake::Take(std::span<const std::uint8_t> pdu, bool deleteAfterReceive) {
    const sms::ReportDecodeResult decoded = sms::DecodeStatusReport(pdu);
    if (!decoded.decoded()) {
        ++tally_.unreadable;
        return false;
    }
    switch (book_.Record(decoded.report)) {
        case store::ReportOutcome::Recorded:
            ++tally_.recorded;
            return true;
        case store::ReportOutcome::Unmatched:
            ++tally_.unmatched;
            return deleteAfterReceive;
        case store::ReportOutcome::NotWritten:
            ++tally_.unstored;
            return false;
    }
    return false;
}

}  // namespace mivex::transfer
