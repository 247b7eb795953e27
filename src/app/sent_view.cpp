#include "app/sent_view.h"

#include "app/app_context.h"
#include "app/command_ids.h"
#include "app/compose_view.h"
#include "store/queueing.h"

namespace mivex::app {

namespace {

const FolderViewKind kSent{MenuBarId::Sent,
                           QStringLiteral(":/artwork/title-sent.svg"),
                           QStringLiteral("Sent"),
                           QStringLiteral("M  D  Time   To"),
                           cmd::Sent,
                           store::kSentName,
                           store::kSentByDate,
                           store::kSentByRecipient,
                           &store::SentListOp,
                           &ShellState::sent};

}  // namespace

SentView::SentView(MainWindow& window, AppContext& context) : FolderView(window, context, kSent) {
    Resort();
}

bool SentView::OnViewCommand(int id) {
    switch (id) {
        case cmd::CopyToNew:
            CopyToNew();
            return true;
        case cmd::CopyToOutbox:
        case cmd::CopyToOutboxAndSend:
            CopyToOutbox(id == cmd::CopyToOutboxAndSend);
            return true;
        default:
            return false;
    }
}

void SentView::CopyToOutbox(bool andSend) {
    store::FolderHandle sent = OpenFolder(store::kSentName, store::kSentByDate);
    if (!sent)
        return;
    store::FolderHandle outbox = OpenFolder(store::kOutboxName, store::kOutboxByDate);
    if (!outbox)
        return;
    (void)store::CopyToOutbox(Controls().list, *sent, *outbox,
                              andSend ? store::SendNow::Yes : store::SendNow::No,
                              Context().Clock());
    if (andSend) {
        End(1);
        Compose().PostCommand(cmd::Outbox);
    }
}

void SentView::CopyToNew() {
    // The Sent view stays; the copy waits in the compose view.
    store::FolderHandle sent = OpenFolder(store::kSentName, store::kSentByDate);
    if (!sent)
        return;
    Compose().ClearRecipients();
    (void)store::SentListOp(Controls(), Compose(), store::ListOperation::CopyToNew, *sent);
}

}  // namespace mivex::app
