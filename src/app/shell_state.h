#pragma once

// What the views share for the whole run of the program. Only the interface
// thread touches it.

#include <cstddef>
#include <optional>
#include <utility>

#include "store/message_records.h"

namespace mivex::app {

class ComposeView;

enum class SortOrder { ByDate, ByName };

// A folder view's place in its list and its sort order, kept while the
// program runs so that reopening the view finds the user where they were.
struct FolderViewMemory {
    std::size_t selection = 0;  // first selected row at the last selection change
    SortOrder sortOrder = SortOrder::ByDate;
};

// "Send and Receive" across the views: started in any view once the user
// said Yes, it has the Outbox view send all and switch to the Inbox view,
// which receives and ends it. A folder that cannot be opened or a failed
// send ends it in the Outbox view.
class SendAndReceiveChain {
public:
    void Start() { running_ = true; }
    [[nodiscard]] bool Running() const { return running_; }
    void Stop() { running_ = false; }
    // The Inbox view's part: true when a chain ran, which ends with it.
    [[nodiscard]] bool TakeOver() { return std::exchange(running_, false); }

private:
    bool running_ = false;
};

struct ShellState {
    // The root view, which every other view sends its navigation to.
    ComposeView* composeWindow = nullptr;
    // The hidden trace mode: every byte exchanged with the phone is written
    // to the trace file while it is on.
    bool traceEnabled = false;
    SendAndReceiveChain sendAndReceive;
    FolderViewMemory inbox;
    // The message a clicked notification asked for: the Inbox view selects
    // it when it opens.
    std::optional<store::InboxRecord> inboxWanted;
    FolderViewMemory outbox;
    FolderViewMemory sent;
};

}  // namespace mivex::app
