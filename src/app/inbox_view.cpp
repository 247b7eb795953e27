#include "app/inbox_view.h"

#include <QScrollBar>
#include <optional>
#include <set>

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

bool SameMessage(const store::InboxRecord& one, const store::InboxRecord& other) {
    return one.SenderNumber == other.SenderNumber && one.TimeStamp == other.TimeStamp &&
           one.Text == other.Text;
}

std::optional<store::ObjectId> FindMessage(store::Folder& inbox,
                                           const store::InboxRecord& message) {
    std::optional<store::ObjectId> found;
    store::PropArray props;
    (void)store::ScanRecords(inbox, props, [&](store::ObjectId id, const store::PropArray& read) {
        const std::optional<store::InboxRecord> record = store::AsInboxRecord(read);
        if (!found && record && SameMessage(*record, message))
            found = id;
    });
    return found;
}

}  // namespace

InboxView::InboxView(MainWindow& window, AppContext& context)
    : FolderView(window, context, kInbox) {
    Resort();
    if (std::optional<store::InboxRecord> wanted = std::exchange(Context().Shell().inboxWanted, {}))
        SelectMessage(*wanted);
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

void InboxView::ShowArrivals() {
    platform::ListControl& list = Controls().list;
    std::set<std::uint32_t> selected;
    for (std::size_t row = 0; row < list.Count(); ++row) {
        if (list.IsSelected(row))
            selected.insert(list.ItemData(row));
    }
    QScrollBar& scroll = *List().verticalScrollBar();
    const int scrolled = scroll.value();
    (void)Quietly([&] {
        store::FolderHandle inbox = OpenFolder(
            store::kInboxName,
            Memory().sortOrder == SortOrder::ByDate ? store::kInboxByDate : store::kInboxBySender);
        if (!inbox)
            return 0;
        (void)store::InboxListOp(Controls(), Compose(), store::ListOperation::Fill, *inbox);
        for (std::size_t row = 0; row < list.Count(); ++row) {
            if (selected.contains(list.ItemData(row)))
                list.SetSelected(row, true);
        }
        return 0;
    });
    if (!selected.empty())
        Memory().selection = FirstSelected();
    scroll.setValue(scrolled);
}

void InboxView::SelectMessage(const store::InboxRecord& message) {
    std::optional<store::ObjectId> id;
    if (store::FolderHandle inbox = OpenFolder(store::kInboxName, store::kInboxByDate))
        id = FindMessage(*inbox, message);
    if (!id)
        return;  // deleted meanwhile
    ShowArrivals();
    platform::ListControl& list = Controls().list;
    for (std::size_t row = 0; row < list.Count(); ++row) {
        if (list.ItemData(row) != *id)
            continue;
        List().clearSelection();
        List().setCurrentRow(static_cast<int>(row));
        List().scrollToItem(List().item(static_cast<int>(row)));
        return;
    }
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
