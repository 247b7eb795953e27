#include "app/inbox_view.h"

#include "app/app_context.h"
#include "app/command_ids.h"
#include "app/compose_view.h"
#include "contacts/name_lookup.h"
#include "transfer/receive_run.h"
#include "transfer/ui/status_strip.h"

namespace mivex::app {

namespace {

const FolderViewLook kInboxLook{MenuBarId::Inbox, QStringLiteral(":/artwork/title-inbox.svg"),
                                QStringLiteral("Inbox"), QStringLiteral("M  D  Time     From"),
                                cmd::Inbox};

}  // namespace

InboxView::InboxView(MainWindow& window, AppContext& context)
    : FolderView(window, context, kInboxLook) {
    Resort();
    if (Context().Shell().autoTransfer) {
        PostCommand(cmd::Receive);
        Context().Shell().autoTransfer = false;
    }
}

bool InboxView::OnViewCommand(int id) {
    switch (id) {
        case cmd::SortByDate:
        case cmd::SortByName:
            Sort(id == cmd::SortByDate ? 0 : 1, store::kInboxName, store::kInboxByDate,
                 store::kInboxBySender, Context().Shell().inbox, &store::InboxListOp);
            return true;
        case cmd::Receive:
            Receive();
            return true;
        case cmd::Delete: {
            store::FolderHandle inbox = OpenFolder(store::kInboxName, store::kInboxByDate);
            if (inbox) {
                (void)store::InboxListOp(Controls(), Compose(),
                                         store::ListOperation::DeleteSelected, *inbox);
                Context().Store().CloseFolder(inbox);
            }
            return true;
        }
        case cmd::Reply:
            HandOver(store::ListOperation::Reply);
            return true;
        case cmd::Forward:
            HandOver(store::ListOperation::Forward);
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

void InboxView::OnSelectionChanged() {
    Quietly([this] {
        Strip().ShowStatus(u"", platform::StatusBeep::None, platform::StatusColour::Blue);
        store::FolderHandle inbox = OpenFolder(store::kInboxName, store::kInboxByDate);
        if (!inbox)
            return 0;
        Context().Shell().inbox.selection = FirstSelected();
        (void)store::InboxListOp(Controls(), Compose(), store::ListOperation::ShowSelected, *inbox);
        Context().Store().CloseFolder(inbox);
        return 0;
    });
}

void InboxView::Resort() {
    // The order chosen last in this run, by date the first time.
    const int order = Context().Shell().inbox.sortOrder;
    SendCommand(order == 0 ? cmd::SortByDate : cmd::SortByName);
}

void InboxView::Receive() {
    store::FolderHandle inbox = OpenFolder(store::kInboxName, store::kInboxByDate);
    if (!inbox)
        return;
    // The address book is brought up to date here, on this thread; the run
    // only looks names up in it.
    contacts::ContactsDirectory& directory = Context().Contacts();
    (void)directory.Refresh();
    const store::ContactNameLookup lookup = contacts::ContactNameLookupFor(directory.NameIndex());
    (void)RunTransfer([&](transfer::TransferContext& transferContext) {
        return transfer::ReceiveMessages(transferContext, *inbox, lookup);
    });
    Context().Store().CloseFolder(inbox);
    Resort();
}

void InboxView::HandOver(store::ListOperation operation) {
    store::FolderHandle inbox = OpenFolder(store::kInboxName, store::kInboxByDate);
    if (!inbox)
        return;
    Compose().ClearRecipients();
    (void)store::InboxListOp(Controls(), Compose(), operation, *inbox);
    Context().Store().CloseFolder(inbox);
    End(1);
}

}  // namespace mivex::app
