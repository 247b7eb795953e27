#pragma once

// The program's views and dialogs, opened by command: what the compose view
// and the folder views run over themselves.

#include "app/app_context.h"

namespace mivex::app {

class MainWindow;

class AppViews final : public ViewOpener {
public:
    AppViews(MainWindow& window, AppContext& context) : window_(window), context_(context) {}

    bool RunFolderView(int command) override;
    bool RunDialog(int command, QWidget& owner) override;

private:
    MainWindow& window_;
    AppContext& context_;
};

}  // namespace mivex::app
