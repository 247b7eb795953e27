#pragma once

// The three steps a receive runs over the open Inbox, in this order: joining
// the parts of long messages, removing repeated copies, naming the senders.
// Each reads the folder once and then writes, whatever the folder's size; the
// result is the folder the step-by-step rescanning rules give (same records,
// same contents, same order).

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/folder.h"

namespace mivex::store {

// A joined text holds at most this many units; the rest is cut off.
inline constexpr std::size_t kMaxJoinedTextChars = 9999;

// Marks where parts of a long message never arrived.
inline constexpr std::u16string_view kMissingPartLead = u"<Part of Message Missing>\r\n";
inline constexpr std::u16string_view kMissingPartGap = u"\r\n<Part of Message Missing>\r\n";

// Parts of one long message share (SenderNumber, PartRef, PartCount). Passes
// go by the lowest PartSeq below 65536 anywhere in the folder (the earliest
// record on ties); each pass gathers the next higher parts of that message,
// marks gaps, and stores one whole record (Unread 1, names empty) with the
// time stamp of its first part. Records of the wrong shape are deleted.
// Each joined record and the deletion of its parts land in one atomic step,
// so a crash or a failed write never loses a part's text: the parts stay
// and the next receive joins them. Returns the number of joined records.
int JoinParts(Folder& inbox);

// JoinParts for the messages whose parts have all arrived; the parts of the
// others stay as they are, for a later call once the rest has come, and
// `incompleteLeft` says whether there were any. For a watch that stores
// parts one by one as the phone announces them.
int JoinCompleteParts(Folder& inbox, bool& incompleteLeft);

// Deletes every unread record that repeats another record of the folder in
// TimeStamp, SenderNumber, Text, IsPart, PartRef, PartCount and PartSeq, and
// every record of the wrong shape. Of repeated copies the read ones stay, and
// the earliest one in folder order stays when none was read. Returns the
// number of copies deleted (records of the wrong shape are not counted).
int RemoveDuplicates(Folder& inbox);

// The contact name of a number, nothing (or an empty name) when no contact has it.
using ContactNameLookup = std::function<std::optional<std::u16string>(std::u16string_view number)>;

// Names every unread record that has no SenderName yet: the contact's name,
// or the number itself, and the sort key of that name and the record's own
// time stamp. Each distinct number is looked up once, in folder order of its
// first such record.
void FillSenderNames(Folder& inbox, const ContactNameLookup& lookup);

}  // namespace mivex::store
