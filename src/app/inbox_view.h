#pragma once

// The Inbox view: the received messages, newest first or by sender, the
// selected one shown (and marked read), delete, reply and forward (both go on
// in the compose view), and receiving from the phone. A "Send and Receive"
// chain ends here with a receive.

#include "app/folder_view.h"

namespace mivex::app {

class InboxView final : public FolderView {
    Q_OBJECT

public:
    InboxView(MainWindow& window, AppContext& context);

    // Messages came in by themselves: the list is filled again in its order,
    // the selected messages stay selected and the list where it was.
    void ShowArrivals();
    // Shows the message (matched by number, time and text) selected alone,
    // as if the user had selected it.
    void SelectMessage(const store::InboxRecord& message);

protected:
    bool OnViewCommand(int id) override;
    // Selecting a message first clears what the strip showed.
    void OnSelectionChanged() override;

private:
    void Receive();
    void HandOver(store::ListOperation operation);
};

}  // namespace mivex::app
