#pragma once

// The Outbox view: the queued messages, one per recipient, the selected one
// shown, delete, edit (a group goes back to the compose view), and sending
// the selected or all messages through the phone. It sends by itself when it
// opens on messages queued with the send mark, and in a "Send and Receive"
// chain it sends all and goes on to the Inbox view.

#include "app/folder_view.h"

namespace mivex::app {

// The last status text stands this long before the chain moves on.
inline constexpr std::uint32_t kBeforeInboxMs = 1000;

class OutboxView final : public FolderView {
    Q_OBJECT

public:
    OutboxView(MainWindow& window, AppContext& context);

protected:
    bool OnViewCommand(int id) override;

private:
    void Open();
    void SendSelected();
    void Edit();
    void SelectAll();
};

}  // namespace mivex::app
