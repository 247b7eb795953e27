#pragma once

// The receive run: every message stored in the phone's own memory and then
// on its SIM card is read, stored in the Inbox and, when the user asked for
// it, deleted from the phone; then long messages are joined, repeated copies
// dropped and senders named.
//
// Nothing is lost on the way: a slot is deleted from the phone only once its
// message is on disk in the Inbox, so a crash, a full disk or a PDU the
// decoder does not store (a status report, a message the user sent that the
// phone keeps, a broken PDU) leaves the message on the phone for the next run.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "phone/at_message_link.h"
#include "store/folder.h"
#include "store/inbox_maintenance.h"
#include "transfer/report_intake.h"
#include "transfer/transfer_context.h"

namespace mivex::transfer {

// What the AT link reads: the phone's memory first, then the SIM card; then,
// when delivery reports are read, the store some phones keep them in apart
// from messages (a phone without one refuses it, and the run passes over it).
inline constexpr std::array<std::string_view, 2> kReceiveStores = phone::kAtReceiveStores;
inline constexpr std::string_view kReportStore = phone::kAtReportStore;

inline constexpr std::u16string_view kSearchingText = u"Searching, please wait..";
inline constexpr std::u16string_view kLookingUpNamesText = u"Please wait, looking up names..";

// A run that could not read every message the phone reported (the line was
// cut, the phone stopped answering part-way, a slot stayed unreadable) or
// could not store one. Nothing that was not stored has left the phone, so
// the next receive picks it up.
inline constexpr std::u16string_view kIncompleteLead = u"Receive incomplete - ";
inline constexpr std::u16string_view kIncompleteTail =
    u" messages read, check the phone and receive again!  ";

// After the port is closed, and with the count on screen before returning.
inline constexpr std::uint32_t kAfterReceiveCloseMs = 200;
inline constexpr std::uint32_t kNewMessagesPauseMs = 1200;

// "Receiving message %d", "Deleting message %d", "You have %d new messages..".
[[nodiscard]] std::u16string ReceivingText(int received);
[[nodiscard]] std::u16string DeletingText(int received);
[[nodiscard]] std::u16string NewMessagesText(int count);
// "Receive incomplete - %d messages read, check the phone and receive again!  "
[[nodiscard]] std::u16string IncompleteText(int received);

// What one or more reads over an open link did.
struct ReceiveTally {
    int received = 0;  // messages read; numbers the texts
    int whole = 0;     // records of whole messages written
    bool complete = true;
    bool leftOnPhone = false;  // a stored message the phone did not confirm deleting
    bool stopped = false;      // asked to stop before the end
};

// Reads every used slot of the link's stores into the Inbox (and reports to
// `reports`), deleting each from the phone once it is on disk when the
// options say so. The link stays open. `stop`, when set, is asked before
// each slot; once it says yes the rest is left on the phone.
using StopCheck = std::function<bool()>;
[[nodiscard]] ReceiveTally ReceiveOverLink(TransferContext& context, phone::MessageLink& link,
                                           store::Folder& inbox, ReportIntake* reports,
                                           const StopCheck& stop = {});

// The same for the one slot an announcement names, added to `run`. With
// `names`, a whole message is stored named (see StoreDeliverPdu).
void ReceiveAnnounced(TransferContext& context, phone::MessageLink& link, store::Folder& inbox,
                      const phone::Announcement& announced, ReportIntake* reports,
                      ReceiveTally& run, const store::ContactNameLookup* names = nullptr);

// Joins long messages, drops repeated copies and names senders; the number
// of new whole messages `run` brought.
[[nodiscard]] int TidyInbox(TransferContext& context, store::Folder& inbox,
                            const store::ContactNameLookup& lookup, const ReceiveTally& run);

enum class ReceiveResult {
    NoConnection = 0,  // the start-up has told the user why; the Inbox is untouched
    Complete = 1,      // every message the phone reported was read and stored
    Incomplete = 2,    // some were not; the user was told in red
};

// Connects (OpenMessageLink), reads every used slot of the link's stores
// ("ME" and "SM" on the AT link) into the
// open Inbox, closes the port, then JoinParts, RemoveDuplicates and
// FillSenderNames with `lookup`. Progress texts are blue without a beep. A
// complete run ends with "You have %d new messages.."; an incomplete one with
// IncompleteText in red with the stop beep instead. Once the line is lost
// (cut, or a phone that no longer answers) no further slot is tried.
//
// With `reports`, status reports found in any store are handed to it (see
// ReportIntake) and "SR" is read too; a report the store did not take makes
// the run incomplete. Without, they stay on the phone like any PDU the Inbox
// does not take.
[[nodiscard]] ReceiveResult ReceiveMessages(TransferContext& context, store::Folder& inbox,
                                            const store::ContactNameLookup& lookup,
                                            ReportIntake* reports = nullptr);

}  // namespace mivex::transfer
