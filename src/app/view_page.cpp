#include "app/view_page.h"

#include "app/help.h"
#include "app/main_window.h"

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
            if (page && !page->Ended())
                page->OnCommand(id);
        },
        Qt::QueuedConnection);
}

void ViewPage::OnHelp() {
    ShowHelp(HelpPage::Contents);
}

}  // namespace mivex::app
