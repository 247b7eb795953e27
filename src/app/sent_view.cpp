#include "app/sent_view.h"

#include "app/app_context.h"
#include "app/command_ids.h"
#include "app/compose_view.h"
#include "store/queueing.h"

namespace mivex::app {

namespace {

const FolderViewLook kSentLook{MenuBarId::Sent, QStringLiteral(":/artwork/title-sent.svg"),
                               QStringLiteral("Sent"), QStringLiteral("M  D  Time   To"),
                               cmd::Sent};

}  // namespace

SentView::SentView(MainWindow& window, AppContext& context)
    : FolderView(window, context, kSentLook) {
    const int order = Context().Shell().sent.sortOrder;
    SendCommand(order == 0 ? cmd::SortByDate : cmd::SortByName);
}

bool SentView::OnViewCommand(int id) {
    switch (id) {
        case cmd::SortByDate:
        case cmd::SortByName:
            Sort(id == cmd::SortByDate ? 0 : 1, store::kSentName, store::kSentByDate,
                 store::kSentByRecipient, Context().Shell().sent, &store::SentListOp);
            return true;
        case cmd::Delete: {
            store::FolderHandle sent = OpenFolder(store::kSentName, store::kSentByDate);
            if (sent) {
                (void)store::SentListOp(Controls(), Compose(), store::ListOperation::DeleteSelected,
                                        *sent);
                Context().Store().CloseFolder(sent);
            }
            return true;
        }
        case cmd::CopyToNew:
            CopyToNew();
            return true;
        case cmd::CopyToOutbox:
        case cmd::CopyToOutboxAndSend:
            CopyToOutbox(id == cmd::CopyToOutboxAndSend);
            return true;
        case cmd::SendAndReceive:
            if (ConfirmSendAndReceive()) {
                End(1);
                Compose().SendCommand(cmd::Outbox);
            }
            return true;
        default:
            return false;
    }
}

void SentView::OnSelectionChanged() {
    Quietly([this] {
        store::FolderHandle sent = OpenFolder(store::kSentName, store::kSentByDate);
        if (!sent)
            return 0;
        Context().Shell().sent.selection = FirstSelected();
        (void)store::SentListOp(Controls(), Compose(), store::ListOperation::ShowSelected, *sent);
        Context().Store().CloseFolder(sent);
        return 0;
    });
}

void SentView::CopyToOutbox(bool andSend) {
    store::FolderHandle sent = OpenFolder(store::kSentName, store::kSentByDate);
    if (!sent)
        return;
    store::FolderHandle outbox = OpenFolder(store::kOutboxName, store::kOutboxByDate);
    if (!outbox) {
        Context().Store().CloseFolder(sent);
        return;
    }
    (void)store::CopyToOutbox(Controls().list, *sent, *outbox,
                              andSend ? store::SendNow::Yes : store::SendNow::No,
                              Context().Clock());
    Context().Store().CloseFolder(outbox);
    Context().Store().CloseFolder(sent);
    if (andSend) {
        End(1);
        Compose().PostCommand(cmd::Outbox);
    }
}

void SentView::CopyToNew() {
    store::FolderHandle sent = OpenFolder(store::kSentName, store::kSentByDate);
    if (!sent)
        return;
    Compose().ClearRecipients();
    (void)store::SentListOp(Controls(), Compose(), store::ListOperation::CopyToNew, *sent);
    Context().Store().CloseFolder(sent);
}

}  // namespace mivex::app
