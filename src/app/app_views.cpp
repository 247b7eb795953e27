#include "app/app_views.h"

#include "app/about_dialog.h"
#include "app/command_ids.h"
#include "app/inbox_view.h"
#include "app/outbox_view.h"
#include "app/sent_view.h"

namespace mivex::app {

bool AppViews::RunFolderView(int command) {
    switch (command) {
        case cmd::Inbox: {
            InboxView view(window_, context_);
            view.Run();
            return true;
        }
        case cmd::Outbox: {
            OutboxView view(window_, context_);
            view.Run();
            return true;
        }
        case cmd::Sent: {
            SentView view(window_, context_);
            view.Run();
            return true;
        }
        default:
            return false;
    }
}

bool AppViews::RunDialog(int command, QWidget& owner) {
    if (command == cmd::About) {
        AboutDialog dialog(&owner);
        dialog.exec();
        return true;
    }
    return false;
}

}  // namespace mivex::app
