#pragma once

// What the receive run does with the delivery reports it finds among the
// phone's messages. A report is not a message: it never enters the Inbox nor
// counts as new. It is recorded on the Sent message it reports on and then
// leaves the phone; one that matches no Sent message stays, unless the user
// has every message deleted after a receive; one that cannot be read stays,
// so nothing is lost that a later version could read.
//
// The reports of one store are written in one durable step once the store
// has been read, and only then deleted from it: one sync for all of them.

#include <cstdint>
#include <span>
#include <vector>

#include "phone/message_link.h"
#include "platform/status_sink.h"
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

    // Whether the message is a status report, as a PDU or as the fields a
    // link decoded; the receive run asks before taking a message the Inbox
    // did not store.
    [[nodiscard]] static bool IsReport(const phone::ReceivedMessage& message);

    // Takes the report in `message`, read from slot `index` of the selected
    // store as the run's `received`th message.
    void Take(const phone::ReceivedMessage& message, int index, int received,
              bool deleteAfterReceive);

    // Once a store has been read, while it is still selected: writes its
    // reports and deletes from the phone the slots that may go, showing
    // "Deleting message %d" for each.
    void FinishStore(phone::MessageLink& link, platform::StatusSink& status);

    [[nodiscard]] const ReportTally& Tally() const { return tally_; }

private:
    struct Slot {
        int index = 0;
        int received = 0;
    };

    store::StatusReportBook book_;
    ReportTally tally_;
    std::vector<Slot> recorded_;  // of the current store, to go once written
    std::vector<Slot> leaving_;   // of the current store, to go whatever happens
};

}  // namespace mivex::transfer
