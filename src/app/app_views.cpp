#include "app/app_views.h"

#include "app/about_dialog.h"
#include "app/command_ids.h"

namespace mivex::app {

bool AppViews::RunFolderView(int command) {
    (void)window_;
    (void)context_;
    (void)command;
    return false;
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
