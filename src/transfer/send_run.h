#pragma once

// The sending run: the selected messages of the Outbox view's list go out
// through the phone in list order, each as one SMS-SUBMIT or as concatenated
// segments (GSM 7-bit or UCS2, as sms::MeasureText decides; GSM 7-bit alone
// with GsmAlphabetOnly), and each message that went out whole is filed in
// Sent.
//
// Filing in Sent and removing from the Outbox are one atomic step, so after a
// crash at any moment a message is in exactly one of the two folders.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/list_control.h"
#include "sms/submit_encoder.h"
#include "store/folder.h"
#include "transfer/transfer_context.h"

namespace mivex::transfer {

inline constexpr std::u16string_view kInvalidServiceCentreText =
    u"Invalid Service Centre number, check Options, use Help for more info...  ";
inline constexpr std::u16string_view kInvalidPhoneServiceCentreText =
    u"Phone returned an invalid Service Centre number, check phone settings...  ";
inline constexpr std::u16string_view kUsingServiceCentreText = u"Using SC Number ";
inline constexpr std::u16string_view kInsufficientMemoryText = u"Error - Insufficient Memory!";
inline constexpr std::u16string_view kSendingToText = u"Sending to ";
inline constexpr std::u16string_view kMessageSentOkText = u"Message Sent OK";
inline constexpr std::u16string_view kSendFailedText =
    u"Failed - Check phone and Service Centre number...   ";
inline constexpr std::u16string_view kOneMessageSentText = u"Message sent OK!";
// The phone took the message but the store could not file it: it stays in
// the Outbox, and the user must know it went out before sending it again.
inline constexpr std::u16string_view kSentNotFiledText =
    u"Error - Message sent, but it could not be moved to Sent!  ";

// Service-centre and recipient numbers hold at most this many characters.
inline constexpr std::size_t kMaxNumberChars = 99;

inline constexpr std::uint32_t kServiceCentreShownMs = 1000;
inline constexpr std::uint32_t kAfterMessageSentMs = 250;
inline constexpr std::uint32_t kAfterSendFailureMs = 2000;

// "Message segment %d sent OK" and "%d Messages sent OK!".
[[nodiscard]] std::u16string SegmentSentText(int segment);
[[nodiscard]] std::u16string MessagesSentText(int sent);

// Sends the selected rows of `outboxList` (item data: the Outbox record's
// object id), lowest index first. A row is deselected when its turn comes;
// a message sent whole is filed in Sent, removed from the Outbox and its row
// deleted. `counters` are the program-wide references: ConcatRef moves on
// after every long message, sent whole or not.
//
// Returns 0 when no row was selected (nothing done or shown), -1 when the run
// could not start or sent nothing, else the number of messages sent.
int SendOutbox(platform::ListControl& outboxList, TransferContext& context, store::Folder& outbox,
               store::Folder& sent, sms::SubmitCounters& counters);

}  // namespace mivex::transfer
