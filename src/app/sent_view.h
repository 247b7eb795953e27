#pragma once

// The Sent view: the messages that went out, newest first or by recipient,
// the selected one shown, delete, copy one into the compose view as a new
// message, and copy the selected ones back into the Outbox, optionally
// sending them at once.

#include "app/folder_view.h"

namespace mivex::app {

class SentView final : public FolderView {
    Q_OBJECT

public:
    SentView(MainWindow& window, AppContext& context);

protected:
    bool OnViewCommand(int id) override;

private:
    void CopyToOutbox(bool andSend);
    void CopyToNew();
};

}  // namespace mivex::app
