#pragma once

// Queueing what the compose view holds into the Outbox, one record per
// recipient, and copying sent messages back into it. Every record written by
// one call carries the same Created time: that shared stamp is what makes the
// records one group for the Outbox view's "Edit".

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/list_control.h"
#include "platform/prompter.h"
#include "platform/text_control.h"
#include "store/folder.h"

namespace mivex::store {

// The SendNow mark of the records written: Yes for "... and Send".
enum class SendNow : std::int32_t { No = 0, Yes = 1 };

// A recipient entry of this many units or more is refused.
inline constexpr std::size_t kMaxRecipientEntryChars = 200;

inline constexpr std::u16string_view kNoRecipientText = u"Error - No recipient!";
inline constexpr std::u16string_view kNoMessageText = u"Error - No message!";
inline constexpr std::u16string_view kMessageTooBigText = u"Error - Message to big!";
inline constexpr std::u16string_view kInvalidRecipientText = u"Error - Invalid recipient!";
inline constexpr std::u16string_view kNotEnoughMemoryText = u"Error - Not enough memory!";
inline constexpr std::u16string_view kOutboxWriteFailedText =
    u"Error - The message could not be stored in the Outbox!";

// The dialling number of a recipient entry ("name,number" or a bare number):
// the text after the first comma up to the next one, or the whole entry,
// reduced to dialling characters. Empty means the entry has no usable number.
[[nodiscard]] std::u16string RecipientNumberOf(std::u16string_view entry);

// The name of a recipient entry: the text before the first comma as written,
// or for a bare number the number itself, reduced to dialling characters.
[[nodiscard]] std::u16string RecipientNameOf(std::u16string_view entry);

// Checks the message text and every recipient entry and writes one Outbox
// record per entry, in list order. An entry's number must hold a digit and
// nothing but dial characters and separators (sms::IsUsableRecipientNumber).
// A refusal is told in a box with no icon and returns 0 with nothing
// written. The records are written in one atomic step: when the store
// fails, none is written, the failure is told and the result is 0, so the
// compose view keeps the message. Otherwise returns the number of entries.
[[nodiscard]] int QueueMessage(const platform::TextControl& messageText,
                               const platform::ListControl& recipients, Folder& outbox,
                               SendNow sendNow, platform::Prompter& prompter,
                               platform::Clock& clock);

// Writes an Outbox record for each selected row of the Sent view's list whose
// Sent record reads with the right shape, all with one new Created time.
// Returns the number of records written; a failed write is skipped.
[[nodiscard]] int CopyToOutbox(const platform::ListControl& sentList, Folder& sent, Folder& outbox,
                               SendNow sendNow, platform::Clock& clock);

}  // namespace mivex::store
