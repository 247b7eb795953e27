#pragma once

// What the user meets when messages come in by themselves: the open Inbox
// view shows them at once, the new-message sound plays, and unless the
// Inbox is already in front of the user a desktop notification says who
// wrote (several at once: how many). Clicking it brings the window forward
// on the Inbox with that message selected. The live connection's texts go
// to the status strip of the view on top.

#include <QObject>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/live_connection.h"
#include "platform/notifier.h"

namespace mivex::app {

class AppContext;
class MainWindow;

// The notice for messages that came in together: the sender's name (or
// number) and the first line of the text for one, how many for several.
struct ArrivalNotice {
    std::u16string title;
    std::u16string body;
};
[[nodiscard]] ArrivalNotice NoticeFor(const std::vector<store::InboxRecord>& messages);

class ArrivalNotices final : public QObject, public LiveListener {
    Q_OBJECT

public:
    // Without a notifier, nothing is shown outside the window.
    ArrivalNotices(MainWindow& window, AppContext& context, platform::Notifier* notifier);

    void OnLiveStatus(const std::u16string& text, platform::StatusColour colour) override;
    void OnArrivals(const std::vector<store::InboxRecord>& messages) override;

private:
    [[nodiscard]] bool InboxInFront() const;
    void OpenOnInbox(std::uint64_t tag);
    void GoToWanted();

    MainWindow& window_;
    AppContext& context_;
    platform::Notifier* notifier_;
    // The message each notice shown leads to, by tag; the oldest are
    // forgotten, as their notices are long gone.
    std::map<std::uint64_t, store::InboxRecord> shown_;
    std::uint64_t nextTag_ = 1;
};

}  // namespace mivex::app
