#pragma once

// What the views share for the whole run of the program. Only the interface
// thread touches it.

#include <cstddef>

namespace mivex::app {

class ComposeView;

enum class SortOrder { ByDate, ByName };

// A folder view's place in its list and its sort order, kept while the
// program runs so that reopening the view finds the user where they were.
struct FolderViewMemory {
    std::size_t selection = 0;  // first selected row at the last selection change
    SortOrder sortOrder = SortOrder::ByDate;
};

struct ShellState {
    // The root view, which every other view sends its navigation to.
    ComposeView* composeWindow = nullptr;
    // The hidden trace mode: every byte exchanged with the phone is written
    // to the trace file while it is on.
    bool traceEnabled = false;
    // A "Send and Receive" chain is running: the Outbox view sends all, then
    // the Inbox view receives and clears it.
    bool autoTransfer = false;
    FolderViewMemory inbox;
    FolderViewMemory outbox;
    FolderViewMemory sent;
};

}  // namespace mivex::app
