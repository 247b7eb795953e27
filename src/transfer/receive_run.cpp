#include "transfer/receive_run.h"

#include <cstdint>
#include <vector>

#include "phone/at_exchanges.h"
#include "phone/phone_link.h"
#include "store/inbox_writer.h"
#include "transfer/status_text.h"

namespace mivex::transfer {

namespace {

struct ReceiveCounts {
    int received = 0;  // messages read over both stores; numbers the texts
    int whole = 0;     // records of whole messages written
    bool complete = true;
};

// Reads the used slots of the store the phone has selected, lowest index
// first, and stops right after the last used one.
void ReceiveFromStore(TransferContext& context, phone::PortHandle& port, store::Folder& inbox,
                      const phone::StorageCounts& counts, bool deleteAfterReceive,
                      ReportIntake* reports, ReceiveCounts& run) {
    int found = 0;
    for (int index = 1; index <= counts.total; ++index) {
        if (found == counts.used) {
            return;
        }
        const std::vector<std::uint8_t> pdu = phone::ReadStoredMessage(port, index);
        if (port.Lost()) {
            run.complete = false;
            return;
        }
        if (pdu.empty()) {
            ShowProgress(context.status, kSearchingText);
            continue;
        }
        ++run.received;
        ShowProgress(context.status, ReceivingText(run.received));
        ++found;
        const store::StoredDeliver stored = store::StoreDeliverPdu(pdu, inbox);
        if (stored.whole) {
            ++run.whole;
        }
        if (stored.id == 0 && stored.status == sms::DecodeStatus::Decoded) {
            run.complete = false;  // decoded, but the Inbox did not take it
        }
        // Only a message that is on disk may leave the phone: a PDU the
        // decoder refused or a failed write stays there for the next run (or
        // for the phone's own menus), and a status report leaves only once
        // its Sent message holds it, or by the rules of ReportIntake, after
        // the store has been read. The PDU came from this
        // slot's own answer: it was read on a line in step, and its read
        // ended on its OK (see phone::Exchange); the deletion too is sent only
        // on a line in step.
        if (reports != nullptr && stored.id == 0 && ReportIntake::IsReport(pdu)) {
            reports->Take(pdu, index, run.received, deleteAfterReceive);
        }
        if (deleteAfterReceive && stored.id != 0 && phone::DeleteStoredMessage(port, index)) {
            ShowProgress(context.status, DeletingText(run.received));
        }
    }
    // The scan ran to the store's end without finding every message the
    // phone counted: some slot stayed unreadable.
    if (found < counts.used) {
        run.complete = false;
    }
}

}  // namespace

std::u16string ReceivingText(int received) {
    return WithNumber(u"Receiving message ", received);
}

std::u16string DeletingText(int received) {
    return WithNumber(u"Deleting message ", received);
}

std::u16string NewMessagesText(int count) {
    return WithNumber(u"You have ", count, u" new messages..");
}

std::u16string IncompleteText(int received) {
    return WithNumber(kIncompleteLead, received, kIncompleteTail);
}

ReceiveResult ReceiveMessages(TransferContext& context, store::Folder& inbox,
                              const store::ContactNameLookup& lookup, ReportIntake* reports) {
    std::int32_t deleteAfterReceive = 0;
    (void)context.options.ReadOption(options::Option::DeleteAfterReceive, deleteAfterReceive);

    context.status.RepaintOwner();
    phone::PortHandle port = phone::OpenPhoneLink(context.link, context.options, context.status);
    if (!port.isValid()) {
        return ReceiveResult::NoConnection;
    }

    ReceiveCounts run;
    std::vector<std::string_view> stores(kReceiveStores.begin(), kReceiveStores.end());
    if (reports != nullptr) {
        stores.push_back(kReportStore);
    }
    for (const std::string_view storeName : stores) {
        const std::optional<phone::StorageCounts> counts = phone::SelectStorage(port, storeName);
        if (!counts || counts->total < 1) {
            // A store the phone does not have is refused with an error and
            // skipped; one that went unanswered may hold messages.
            if (!counts && port.LastEnding() != phone::ReadEnding::ErrorWord) {
                run.complete = false;
            }
            continue;
        }
        ReceiveFromStore(context, port, inbox, *counts, deleteAfterReceive != 0, reports, run);
        if (reports != nullptr) {
            reports->FinishStore(port, context.status);
        }
    }
    if (reports != nullptr && reports->Tally().unstored > 0) {
        run.complete = false;
    }

    phone::ClosePort(port);
    context.link.clock.SleepMs(kAfterReceiveCloseMs);

    ShowProgress(context.status, kLookingUpNamesText);
    const int joined = store::JoinParts(inbox);
    const int removed = store::RemoveDuplicates(inbox);
    store::FillSenderNames(inbox, lookup);

    if (!run.complete) {
        context.status.ShowStatus(IncompleteText(run.received), platform::StatusBeep::Stop,
                                  platform::StatusColour::Red);
        context.link.clock.SleepMs(kNewMessagesPauseMs);
        return ReceiveResult::Incomplete;
    }
    ShowProgress(context.status, NewMessagesText(run.whole + joined - removed));
    context.link.clock.SleepMs(kNewMessagesPauseMs);
    return ReceiveResult::Complete;
}

}  // namespace mivex::transfer
