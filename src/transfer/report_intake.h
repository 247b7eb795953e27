#pragma once

// What the receive run does with the delivery reports it finds among the
// phone's messages. A report is not a message: it never enters the Inbox nor
// counts as new. It is recorded on the Sent message it reports on and may
// then leave the phone; one that matches no Sent message stays, unless the
// user has every message deleted after a receive; one that cannot be read
// stays, so nothing is lost that a later version could read.

#include <cstdint>
#include <span>

#include "store/folder.h"
#include "store/status_reports.h"

namespace mivex::transfer {

// The reports of one run.
struct ReportTally {
    int recorded = 0;    // on their Sent messages
    int unmatched = 0;   // no Sent message awaits them
    int unreadable = 0;  // status reports whose fields run past the PDU's end
    int unstored = 0;    // matched, but the store did not take them
};

class ReportIntake {
public:
    // `sent` is the open Sent folder; it must outlive the intake.
    explicit ReportIntake(store::Folder& sent) : book_(sent) {}

    // Whether the PDU is a status report; the receive run asks before
    // taking a PDU the Inbox did not store.
    [[nodiscard]] static bool IsReport(std::span<const std::uint8_t> pdu);

    // Takes the report in `pdu` and says whether its slot may be deleted
    // from the phone now.
    [[nodiscard]] bool Take(std::span<const std::uint8_t> pdu, bool deleteAfterReceive);

    [[nodiscard]] const ReportTally& Tally() const { return tally_; }

private:
    store::StatusReportBook book_;
    ReportTally tally_;
};

}  // namespace mivex::transfer
