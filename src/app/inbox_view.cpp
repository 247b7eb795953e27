#include "app/inbox_view.h"

#include <optional>

#include "app/app_context.h"
#include "app/command_ids.h"
#include "app/compose_view.h"
#include "contacts/name_lookup.h"
#include "transfer/receive_run.h"
#include "transfer/ui/status_strip.h"

namespace mivex::app {

namespace {

const FolderViewKind kInbox{MenuBarId::Inbox,
                            QStringLiteral(":/artwork/title-inbox.svg"),
                            QStringLiteral("Inbox"),
                            QStringLiteral("M  D  Time     From"),
                            cmd::Inbox,
                            store::kInboxName,
                            store::kInboxByDate,
                            store::kInboxBySender,
                            &store::InboxListOp,
                            &ShellState::inbox};

}  // namespace

InboxView::InboxView(MainWindow& window, AppContext& context)
    : FolderView(window, context, kInbox) {
    Resort();
    if (Context().Shell().sendAndReceive.TakeOver())
        PostCommand(cmd::Receive);
}

bool InboxView::OnViewCommand(int id) {
    switch (id) {
        case cmd::Receive:
            Receive();
            return true;
        case cmd::Reply:
            HandOver(store::ListOperation::Reply);
            return true;
        case cmd::Forward:
            HandOver(store::ListOperation::Forward);
            return true;
        default:
            return false;
    }
}

void InboxView::OnSelectionChanged() {
    Strip().ShowStatus(u"", platform::StatusBeep::None, platform::StatusColour::Blue);
    FolderView::OnSelectionChanged();
}

void InboxView::Receive() {
    {
        store::FolderHandle inbox = OpenFolder(store::kInboxName, store::kInboxByDate);
        if (!inbox)
            return;
        // The address book is brought up to date here, on this thread; the
        // run only looks names up in it.
        contacts::ContactsDirectory& directory = Context().Contacts();
        (void)directory.Refresh();
        const store::ContactNameLookup lookup =
            contacts::ContactNameLookupFor(directory.NameIndex());
        // Delivery reports are recorded in Sent; without it they stay on the phone.
        store::FolderHandle sent = OpenFolder(store::kSentName, store::kSentByDate);
        std::optional<transfer::ReportIntake> reports;
        if (sent)
            reports.emplace(*sent);
        (void)RunTransfer([&](transfer::TransferContext& transferContext) {
            return static_cast<int>(transfer::ReceiveMessages(transferContext, *inbox, lookup,
                                                              reports ? &*reports : nullptr));
        });
    }
    Resort();
}

void InboxView::HandOver(store::ListOperation operation) {
    // The compose view's recipients give way to the message's sender.
    store::FolderHandle inbox = OpenFolder(store::kInboxName, store::kInboxByDate);
    if (!inbox)
        return;
    Compose().ClearRecipients();
    (void)store::InboxListOp(Controls(), Compose(), operation, *inbox);
    End(1);
}

}  // namespace mivex::app
