#include "app/arrival_notices.h"

#include <QApplication>
#include <algorithm>

#include "app/app_context.h"
#include "app/command_ids.h"
#include "app/inbox_view.h"
#include "app/main_window.h"
#include "app/transfer_runner.h"
#include "options/option_defaults.h"
#include "transfer/ui/status_strip.h"

namespace mivex::app {

namespace {

// Notices the desktop may still show; older tags lead nowhere.
constexpr std::size_t kRememberedNotices = 32;
// A first line longer than this is cut; the desktop shows a few lines at most.
constexpr std::size_t kBodyChars = 200;

std::u16string FirstLine(const std::u16string& text) {
    std::u16string line = text.substr(0, text.find_first_of(u"\r\n"));
    if (line.size() > kBodyChars)
        line = line.substr(0, kBodyChars - 1) + u"\u2026";
    return line;
}

std::u16string SenderOf(const store::InboxRecord& message) {
    return message.SenderName.empty() ? message.SenderNumber : message.SenderName;
}

}  // namespace

ArrivalNotice NoticeFor(const std::vector<store::InboxRecord>& messages) {
    if (messages.size() == 1)
        return {SenderOf(messages.front()), FirstLine(messages.front().Text)};
    ArrivalNotice notice;
    notice.title = QStringLiteral("%1 new messages").arg(messages.size()).toStdU16String();
    // Who wrote, each once, newest first.
    std::vector<std::u16string> senders;
    for (auto message = messages.rbegin(); message != messages.rend(); ++message) {
        const std::u16string sender = SenderOf(*message);
        if (std::find(senders.begin(), senders.end(), sender) == senders.end())
            senders.push_back(sender);
    }
    for (const std::u16string& sender : senders)
        notice.body += (notice.body.empty() ? u"From " : u", ") + sender;
    return notice;
}

ArrivalNotices::ArrivalNotices(MainWindow& window, AppContext& context,
                               platform::Notifier* notifier)
    : window_(window), context_(context), notifier_(notifier) {
    if (notifier_ != nullptr)
        notifier_->SetClicked([this](std::uint64_t tag) { OpenOnInbox(tag); });
}

void ArrivalNotices::OnLiveStatus(const std::u16string& text, platform::StatusColour colour) {
    // A run the user started has the strip to itself.
    if (TransferRunner::Busy())
        return;
    if (auto* view = qobject_cast<FolderView*>(window_.TopPage()))
        view->Strip().ShowStatus(text, platform::StatusBeep::None, colour);
}

void ArrivalNotices::OnArrivals(const std::vector<store::InboxRecord>& messages) {
    // A run the user started fills the lists itself; the Inbox is filled
    // again once it has ended.
    TransferRunner::WhenIdle(this, [this] {
        if (auto* inbox = qobject_cast<InboxView*>(window_.TopPage()))
            inbox->ShowArrivals();
    });
    std::int32_t soundsOff = 0;
    if (!context_.Options().ReadOption(options::Option::SoundsOff, soundsOff) || soundsOff == 0)
        context_.Sounds().PlayNewMessageSound();
    if (notifier_ == nullptr || InboxInFront())
        return;
    const ArrivalNotice notice = NoticeFor(messages);
    const std::uint64_t tag = nextTag_++;
    // A click leads to the newest of them.
    shown_[tag] = messages.back();
    if (shown_.size() > kRememberedNotices)
        shown_.erase(shown_.begin());
    notifier_->Notify(notice.title, notice.body, tag);
}

bool ArrivalNotices::InboxInFront() const {
    return qobject_cast<InboxView*>(window_.TopPage()) != nullptr && window_.isActiveWindow() &&
           !window_.isMinimized();
}

void ArrivalNotices::OpenOnInbox(std::uint64_t tag) {
    window_.RaiseTopWindow();
    const auto shown = shown_.find(tag);
    if (shown == shown_.end())
        return;
    context_.Shell().inboxWanted = shown->second;
    // A run under way ends first. A dialog open over the views stays in
    // front; the Inbox selects the message when it opens next.
    TransferRunner::WhenIdle(this, [this] { GoToWanted(); });
}

void ArrivalNotices::GoToWanted() {
    if (QApplication::activeModalWidget() != nullptr || !context_.Shell().inboxWanted)
        return;
    ViewPage* top = window_.TopPage();
    if (auto* inbox = qobject_cast<InboxView*>(top)) {
        inbox->SelectMessage(*std::exchange(context_.Shell().inboxWanted, {}));
        return;
    }
    // The compose view opens the Inbox; another folder view ends and has the
    // compose view open it. The Inbox view takes the wanted message.
    if (top != nullptr)
        top->PostCommand(cmd::Inbox);
}

}  // namespace mivex::app
