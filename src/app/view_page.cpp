#include "app/view_page.h"

#include "app/help.h"
#include "app/main_window.h"
#include "app/transfer_runner.h"

namespace mivex::app {

ViewPage::ViewPage(MainWindow& window) : window_(window) {}

ViewPage::~ViewPage() {
    window_.RemovePage(this);
}

int ViewPage::Run() {
    QEventLoop loop;
    loop_ = &loop;
    ended_ = false;
    window_.PushPage(this);
    loop.exec();
    loop_ = nullptr;
    window_.RemovePage(this);
    return result_;
}

void ViewPage::End(int result) {
    if (ended_)
        return;
    ended_ = true;
    result_ = result;
    window_.PageEnded(this);
    if (loop_ != nullptr)
        loop_->exit(result);
}

void ViewPage::PostCommand(int id) {
    QMetaObject::invokeMethod(
        this,
        [page = QPointer<ViewPage>(this), id] {
            if (!page || page->Ended() || page->Window().TopPage() != page)
                return;
            // A command never starts inside a transfer that keeps the window
            // alive: it waits for the run to end, as it would behind a
            // handler that blocks, and is then posted again.
            if (TransferRunner::Busy()) {
                TransferRunner::WhenIdle(page, [page, id] { page->PostCommand(id); });
                return;
            }
            page->OnCommand(id);
        },
        Qt::QueuedConnection);
}

void ViewPage::OnHelp() {
    ShowHelp(HelpPage::Contents);
}

}  // namespace mivex::app
