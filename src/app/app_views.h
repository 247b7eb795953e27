#pragma once

// The program's views and dialogs, opened by command: what the compose view
// and the folder views run over themselves. At most one folder view exists
// at a time: a switch ends the current one, and the loop here opens the next.

#include "app/app_context.h"

namespace mivex::app {

class MainWindow;

class AppViews final : public ViewOpener {
public:
    AppViews(MainWindow& window, AppContext& context) : window_(window), context_(context) {}

    bool RunFolderView(int command) override;
    bool RunDialog(int command, QWidget& owner) override;

private:
    void RunOne(int command);

    MainWindow& window_;
    AppContext& context_;
    // The folder view a switch asked for, opened once the current one's loop
    // has returned; 0 for none.
    int next_ = 0;
    bool running_ = false;
};

}  // namespace mivex::app
