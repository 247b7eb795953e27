#include "app/outbox_view.h"

#include "app/app_context.h"
#include "app/command_ids.h"
#include "app/compose_view.h"
#include "app/ui_thread.h"
#include "transfer/send_run.h"
#include "transfer/ui/status_strip.h"

namespace mivex::app {

namespace {

const FolderViewKind kOutbox{MenuBarId::Outbox,
                             QStringLiteral(":/artwork/title-outbox.svg"),
                             QStringLiteral("Outbox"),
                             QStringLiteral("M  D  Time   To"),
                             cmd::Outbox,
                             store::kOutboxName,
                             store::kOutboxByDate,
                             0,
                             &store::OutboxListOp,
                             &ShellState::outbox};

}  // namespace

OutboxView::OutboxView(MainWindow& window, AppContext& context)
    : FolderView(window, context, kOutbox) {
    Quietly([this] {
        Open();
        return 0;
    });
}

void OutboxView::Open() {
    store::FolderHandle outbox = OpenFolder(store::kOutboxName, store::kOutboxByDate);
    if (!outbox)
        return;
    const store::FolderViewControls controls = Controls();
    (void)store::OutboxListOp(controls, Compose(), store::ListOperation::Fill, *outbox);
    if (Context().Shell().sendAndReceive.Running()) {
        SelectAll();
        PostCommand(cmd::SendSelected);
    } else if (controls.list.SelectedCount() != 0) {
        // Messages queued with the send mark: they go at once.
        PostCommand(cmd::SendSelected);
    } else {
        SelectRow(Memory().selection);
    }
    (void)store::OutboxListOp(controls, Compose(), store::ListOperation::ShowSelected, *outbox);
}

bool OutboxView::OnViewCommand(int id) {
    switch (id) {
        case cmd::SendSelected:
            SendSelected();
            return true;
        case cmd::SendAll:
            SelectAll();
            PostCommand(cmd::SendSelected);
            return true;
        case cmd::Edit:
            Edit();
            return true;
        case cmd::SendAndReceive:
            if (ConfirmSendAndReceive())
                PostCommand(cmd::SendAll);
            return true;
        default:
            return false;
    }
}

void OutboxView::SelectAll() {
    for (int row = 0; row < List().count(); ++row)
        List().item(row)->setSelected(true);
}

void OutboxView::SendSelected() {
    SendAndReceiveChain& chain = Context().Shell().sendAndReceive;
    int result = 0;
    if (List().selectedItems().isEmpty()) {
        Strip().ShowStatus(kNothingToSendText, platform::StatusBeep::Asterisk,
                           platform::StatusColour::Blue);
    } else {
        store::FolderHandle outbox = OpenFolder(store::kOutboxName, store::kOutboxByDate);
        if (!outbox) {
            chain.Stop();
            return;
        }
        store::FolderHandle sent = OpenFolder(store::kSentName, store::kSentByDate);
        if (!sent) {
            chain.Stop();
            return;
        }
        const store::FolderViewControls controls = Controls();
        CrossThreadList list(controls.list, List());
        result = RunTransfer([&](transfer::TransferContext& transferContext) {
            return transfer::SendOutbox(list, transferContext, *outbox, *sent,
                                        Context().Counters());
        });
        (void)store::OutboxListOp(controls, Compose(), store::ListOperation::Fill, *outbox);
        (void)store::OutboxListOp(controls, Compose(), store::ListOperation::ShowSelected, *outbox);
    }
    if (!chain.Running())
        return;
    if (result == -1) {
        chain.Stop();
        return;
    }
    // The last text stands a moment; then the chain goes on to the Inbox,
    // once this handler has returned.
    Pause(kBeforeInboxMs);
    PostCommand(cmd::Inbox);
}

void OutboxView::Edit() {
    store::FolderHandle outbox = OpenFolder(store::kOutboxName, store::kOutboxByDate);
    if (!outbox)
        return;
    Compose().ClearRecipients();
    if (store::OutboxListOp(Controls(), Compose(), store::ListOperation::EditGroup, *outbox) != 0)
        End(1);
}

}  // namespace mivex::app
