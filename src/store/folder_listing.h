#pragma once

// The data side of the Inbox, Outbox and Sent views: filling a view's list
// from its open folder, showing and deleting the selected messages, and
// handing messages over to the compose view. Rows stay in folder order and
// carry their record's object id as item data.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/list_control.h"
#include "platform/prompter.h"
#include "platform/status_sink.h"
#include "platform/text_control.h"
#include "sms/file_time.h"
#include "store/compose_target.h"
#include "store/folder.h"

namespace mivex::store {

// Operation numbers of the three list entries. Number 4 is the folder's
// hand-over (Inbox: Reply, Outbox: Edit group, Sent: Copy to New); number 5
// exists only for the Inbox.
enum class ListOperation : int {
    Fill = 1,
    ShowSelected = 2,
    DeleteSelected = 3,
    Reply = 4,
    EditGroup = 4,
    CopyToNew = 4,
    Forward = 5,
};

// The view's own controls. Operations 1 to 3 work on these; the hand-overs
// work on the compose view and use only the list and the prompter.
struct FolderViewControls {
    platform::ListControl& list;
    platform::TextControl& messageText;
    platform::TextControl& counter;
    platform::StatusSink& status;
    platform::Prompter& prompter;
};

inline constexpr std::u16string_view kDeleteQuestion = u"Delete selected messages?";
inline constexpr std::u16string_view kReplyPrefix = u"Re message:-\r\n";
inline constexpr std::u16string_view kEditGroupRefusal =
    u"Only messages created at                                       "
    u"the same time can be edited as a group!";

// Results as the views expect them: Fill gives the row count; Show, Reply,
// Forward and Copy to New give 1; Delete gives 1 when confirmed, else 0; Edit
// group gives 0 when refused or when there is nothing to edit. An operation
// number the folder does not have gives 0 and does nothing.
int InboxListOp(const FolderViewControls& view, ComposeTarget& compose, ListOperation operation,
                Folder& inbox);
int OutboxListOp(const FolderViewControls& view, ComposeTarget& compose, ListOperation operation,
                 Folder& outbox);
int SentListOp(const FolderViewControls& view, ComposeTarget& compose, ListOperation operation,
               Folder& sent);

// "MMDD  hh:mm" then " * " (unread) or four spaces, then the sender's name.
[[nodiscard]] std::u16string InboxRowText(sms::FileTime timeStamp, bool unread,
                                          std::u16string_view senderName);
// "MMDD  hh:mm  " then the recipient's name (Outbox and Sent rows).
[[nodiscard]] std::u16string RecipientRowText(sms::FileTime time,
                                              std::u16string_view recipientName);
// "name,number", or the number alone when the name is the number itself or
// no name is known.
[[nodiscard]] std::u16string ReplyEntry(std::u16string_view name, std::u16string_view number);
// The counter label's text for a row count.
[[nodiscard]] std::u16string CounterText(std::size_t rows);

}  // namespace mivex::store
