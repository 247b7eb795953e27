#pragma once

// The command identifiers that menu items, toolbar buttons and the views'
// own notifications carry into each view's command handler. They are the
// program's long-standing numbers, so a command means the same wherever it
// comes from.

namespace mivex::app {

namespace cmd {
// The "View" menu, shared by every view.
inline constexpr int Inbox = 40039;
inline constexpr int InboxInInbox = 40125;  // "Inbox" in the Inbox view's own menu
inline constexpr int New = 40066;
inline constexpr int Outbox = 40040;
inline constexpr int Sent = 40071;
inline constexpr int Export = 40101;
inline constexpr int GeneralOptions = 40117;
inline constexpr int SmsOptions = 40116;
inline constexpr int ClearDatabase = 40135;
inline constexpr int About = 40098;
inline constexpr int Quit = 40037;

// "Actions" of the compose view.
inline constexpr int MoveToOutbox = 40041;
inline constexpr int MoveToOutboxAndSend = 40070;
inline constexpr int SendAndReceive = 40124;

// "Actions" of the folder views.
inline constexpr int Delete = 40063;
inline constexpr int Reply = 40057;
inline constexpr int Forward = 40079;
inline constexpr int Receive = 40056;
inline constexpr int SortByDate = 40134;
inline constexpr int SortByName = 40133;  // "Sender" in the Inbox, "Recipient" in Sent
inline constexpr int Edit = 40085;
inline constexpr int SendAll = 40118;
inline constexpr int SendSelected = 40078;
inline constexpr int CopyToNew = 40126;
inline constexpr int CopyToOutbox = 40115;
inline constexpr int CopyToOutboxAndSend = 40114;

// The message edits' context menu.
inline constexpr int Cut = 40049;
inline constexpr int Copy = 40051;
inline constexpr int Paste = 40050;
inline constexpr int Abbreviations = 40136;

// The compose view sends itself this when it opens.
inline constexpr int ContactsUpdate = 40084;
}  // namespace cmd

// The menu bars, one per view, named by their resource numbers.
enum class MenuBarId : int { Compose = 128, Inbox = 150, Outbox = 151, Sent = 157 };

}  // namespace mivex::app
