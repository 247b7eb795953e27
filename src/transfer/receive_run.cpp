#include "transfer/receive_run.h"

#include <cstdint>
#include <vector>

#include "store/inbox_writer.h"
#include "transfer/open_link.h"
#include "transfer/status_text.h"

namespace mivex::transfer {

namespace {

// A PDU is decoded here; a message the link decoded itself is stored as it
// came; a delivery report is not an Inbox message and stays on the phone.
store::StoredDeliver StoreReceived(const phone::ReceivedMessage& received, store::Folder& inbox,
                                   const store::ContactNameLookup* names) {
    if (received.deliver) {
        return store::StoreDeliverMessage(*received.deliver, inbox, names);
    }
    if (received.report) {
        return {sms::DecodeStatus::NotDeliver};
    }
    return store::StoreDeliverPdu(received.pdu, inbox, names);
}

enum class SlotOutcome { Read, Empty, Lost };

// Reads one slot of the selected store into the Inbox and, once it is on
// disk there, deletes it from the phone when asked.
SlotOutcome ReceiveSlot(TransferContext& context, phone::MessageLink& link, store::Folder& inbox,
                        int index, bool deleteAfterReceive, ReportIntake* reports,
                        ReceiveTally& run, const store::ContactNameLookup* names = nullptr) {
    const phone::ReceivedMessage message = link.ReadMessage(index);
    if (link.Lost()) {
        run.complete = false;
        return SlotOutcome::Lost;
    }
    if (message.empty()) {
        ShowProgress(context.status, kSearchingText);
        return SlotOutcome::Empty;
    }
    ++run.received;
    ShowProgress(context.status, ReceivingText(run.received));
    const store::StoredDeliver stored = StoreReceived(message, inbox, names);
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
    // the store has been read. On the AT link the PDU came from this
    // slot's own answer: it was read on a line in step, and its read
    // ended on its OK (see phone::Exchange); the deletion too is sent
    // only on a line in step.
    if (reports != nullptr && stored.id == 0 && ReportIntake::IsReport(message)) {
        reports->Take(message, index, run.received, deleteAfterReceive);
    }
    if (deleteAfterReceive && stored.id != 0) {
        if (link.DeleteMessage(index)) {
            ShowProgress(context.status, DeletingText(run.received));
        } else {
            run.leftOnPhone = true;
        }
    }
    return SlotOutcome::Read;
}

// Reads the used slots of the store the phone has selected, lowest index
// first, and stops right after the last used one.
void ReceiveFromStore(TransferContext& context, phone::MessageLink& link, store::Folder& inbox,
                      const phone::StorageCounts& counts, bool deleteAfterReceive,
                      ReportIntake* reports, const StopCheck& stop, ReceiveTally& run) {
    int found = 0;
    for (int index = 1; index <= counts.total; ++index) {
        if (found == counts.used) {
            return;
        }
        if (stop && stop()) {
            run.complete = false;
            run.stopped = true;
            return;
        }
        const SlotOutcome outcome =
            ReceiveSlot(context, link, inbox, index, deleteAfterReceive, reports, run);
        if (outcome == SlotOutcome::Lost) {
            return;
        }
        if (outcome == SlotOutcome::Read) {
            ++found;
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

ReceiveTally ReceiveOverLink(TransferContext& context, phone::MessageLink& link,
                             store::Folder& inbox, ReportIntake* reports, const StopCheck& stop) {
    std::int32_t deleteAfterReceive = 0;
    (void)context.options.ReadOption(options::Option::DeleteAfterReceive, deleteAfterReceive);
    ReceiveTally run;
    std::vector<std::string_view> stores(link.ReceiveStores().begin(), link.ReceiveStores().end());
    if (reports != nullptr && link.ReportStore()) {
        stores.push_back(*link.ReportStore());
    }
    for (const std::string_view storeName : stores) {
        const std::optional<phone::StorageCounts> counts = link.SelectStore(storeName);
        if (!counts || counts->total < 1) {
            // A store the phone does not have is refused with an error and
            // skipped; one that went unanswered may hold messages.
            if (!counts && !link.StoreRefused()) {
                run.complete = false;
            }
            continue;
        }
        ReceiveFromStore(context, link, inbox, *counts, deleteAfterReceive != 0, reports, stop,
                         run);
        if (run.stopped) {
            break;
        }
        if (reports != nullptr) {
            reports->FinishStore(link, context.status);
        }
    }
    if (reports != nullptr && reports->Tally().unstored > 0) {
        run.complete = false;
    }
    return run;
}

void ReceiveAnnounced(TransferContext& context, phone::MessageLink& link, store::Folder& inbox,
                      const phone::Announcement& announced, ReportIntake* reports,
                      ReceiveTally& run, const store::ContactNameLookup* names) {
    std::int32_t deleteAfterReceive = 0;
    (void)context.options.ReadOption(options::Option::DeleteAfterReceive, deleteAfterReceive);
    if (!link.SelectStore(announced.store)) {
        run.complete = false;
        return;
    }
    if (ReceiveSlot(context, link, inbox, announced.index, deleteAfterReceive != 0, reports, run,
                    names) == SlotOutcome::Empty) {
        // Announced but not there to read: something is out of order, and a
        // full receive finds what it was.
        run.complete = false;
    }
    if (reports != nullptr) {
        reports->FinishStore(link, context.status);
    }
}

int TidyInbox(TransferContext& context, store::Folder& inbox,
              const store::ContactNameLookup& lookup, const ReceiveTally& run) {
    ShowProgress(context.status, kLookingUpNamesText);
    const int joined = store::JoinParts(inbox);
    const int removed = store::RemoveDuplicates(inbox);
    store::FillSenderNames(inbox, lookup);
    return run.whole + joined - removed;
}

ReceiveResult ReceiveMessages(TransferContext& context, store::Folder& inbox,
                              const store::ContactNameLookup& lookup, ReportIntake* reports) {
    context.status.RepaintOwner();
    const std::unique_ptr<phone::MessageLink> link = OpenMessageLink(context);
    if (!link) {
        return ReceiveResult::NoConnection;
    }

    const ReceiveTally run = ReceiveOverLink(context, *link, inbox, reports);
    link->Close();
    context.link.clock.SleepMs(kAfterReceiveCloseMs);

    const int newMessages = TidyInbox(context, inbox, lookup, run);
    if (!run.complete) {
        context.status.ShowStatus(IncompleteText(run.received), platform::StatusBeep::Stop,
                                  platform::StatusColour::Red);
        context.link.clock.SleepMs(kNewMessagesPauseMs);
        return ReceiveResult::Incomplete;
    }
    ShowProgress(context.status, NewMessagesText(newMessages));
    context.link.clock.SleepMs(kNewMessagesPauseMs);
    return ReceiveResult::Complete;
}

}  // namespace mivex::transfer
