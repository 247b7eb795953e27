#include "app/app_views.h"

#include <utility>

#include "app/about_dialog.h"
#include "app/command_ids.h"
#include "app/compose_view.h"
#include "app/help.h"
#include "app/inbox_view.h"
#include "app/live_connection.h"
#include "app/main_window.h"
#include "app/outbox_view.h"
#include "app/sent_view.h"
#include "app/title_picture.h"
#include "app/view_chrome.h"
#include "options/ui/general_options_dialog.h"
#include "options/ui/sms_options_dialog.h"

namespace mivex::app {

namespace {

// The option dialogs wear the compose view's dress: white on navy buttons.
options::DialogChrome OptionDialogChrome(AppContext& context) {
    options::DialogChrome chrome;
    chrome.titlePicture = [](QWidget& parent, const QString& svg, const QString& name) {
        return static_cast<QWidget*>(CreateTitlePicture(parent, svg, name));
    };
    chrome.colours = [](QWidget& dialog) { ApplyViewColours(dialog, ButtonScheme::Navy); };
    chrome.help = [] { ShowHelp(HelpPage::Contents); };
    chrome.prompter = &context.Prompter();
    return chrome;
}

}  // namespace

bool AppViews::RunFolderView(int command) {
    if (command != cmd::Inbox && command != cmd::Outbox && command != cmd::Sent)
        return false;
    next_ = command;
    if (running_) {
        // The compose view would show for a moment between the two. Only
        // once the current view has ended: one still showing must not freeze.
        if (window_.TopPage() == context_.Shell().composeWindow)
            window_.HoldPaintUntilNextPage();
        return true;
    }
    running_ = true;
    while (next_ != 0) {
        const int opening = std::exchange(next_, 0);
        // Nothing opens over a compose view that has ended: the program is
        // on its way out ("Quit", or the window closed).
        const ComposeView* compose = context_.Shell().composeWindow;
        if (compose == nullptr || compose->Ended())
            break;
        RunOne(opening);
    }
    next_ = 0;
    running_ = false;
    window_.ReleasePaint();
    return true;
}

void AppViews::RunOne(int command) {
    switch (command) {
        case cmd::Inbox: {
            InboxView view(window_, context_);
            view.Run();
            return;
        }
        case cmd::Outbox: {
            OutboxView view(window_, context_);
            view.Run();
            return;
        }
        default: {
            SentView view(window_, context_);
            view.Run();
            return;
        }
    }
}

bool AppViews::RunDialog(int command, QWidget& owner) {
    if (command == cmd::About) {
        AboutDialog dialog(&owner);
        dialog.exec();
        return true;
    }
    if (command == cmd::SmsOptions) {
        const options::DialogChrome chrome = OptionDialogChrome(context_);
        options::SmsOptionsDialog dialog(context_.Options(), chrome, &owner);
        if (dialog.exec() == QDialog::Accepted) {
            if (ComposeView* compose = context_.Shell().composeWindow)
                compose->SmsOptionsSaved();
        }
        return true;
    }
    if (command == cmd::GeneralOptions) {
        const options::DialogChrome chrome = OptionDialogChrome(context_);
        // The compose view's contact list follows the new settings at once,
        // and the live connection the option and the port.
        const auto refill = [this] {
            if (ComposeView* compose = context_.Shell().composeWindow)
                compose->ContactsRefill();
            if (LiveConnection* live = context_.Live())
                live->FollowOptions();
        };
        // ModemManager's modems are offered beside the serial ports.
        options::PortRoots ports;
        ports.modems = &context_.Modems();
        options::GeneralOptionsDialog dialog(context_.Options(), chrome, refill, ports, &owner);
        dialog.exec();
        return true;
    }
    return false;
}

}  // namespace mivex::app
