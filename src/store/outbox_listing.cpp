#include <algorithm>
#include <utility>
#include <vector>

#include "store/folder_listing.h"
#include "store/listing_steps.h"
#include "store/message_records.h"

namespace mivex::store {

namespace {

using namespace listing;

// Rows of records queued with the send mark come out selected, and the mark
// is cleared so that they are sent this once.
int Fill(const FolderViewControls& view, Folder& folder) {
    view.list.Reset();
    PropArray props;
    std::vector<ObjectId> marked;
    (void)ScanRecords(folder, props, [&](ObjectId id, const PropArray& record) {
        if (!HasShape(record, outbox::kPropCount))
            return;
        const std::size_t row =
            view.list.AddRow(RecipientRowText(FindPropFileTime(record, outbox::kCreated),
                                              StringProp(record, outbox::kRecipientName)));
        view.list.SetItemData(row, id);
        if (FindPropI4(record, outbox::kSendNow) == 1) {
            view.list.SetSelected(row, true);
            marked.push_back(id);
        }
    });
    if (!marked.empty()) {
        // A mark that cannot be cleared stays, and the message is selected
        // again the next time: that is all a failure here can do.
        const PropVal cleared = PropVal::I4(outbox::kSendNow, 0);
        (void)folder.Atomically([&] {
            for (const ObjectId id : marked) {
                if (folder.WriteRecord(id, {&cleared, 1}) == 0)
                    return false;
            }
            return true;
        });
    }
    ShowRowCount(view);
    return static_cast<int>(view.list.Count());
}

std::vector<std::size_t> SelectedRows(const platform::ListControl& list) {
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < list.Count(); ++row) {
        if (list.IsSelected(row))
            rows.push_back(row);
    }
    return rows;
}

// Only one queueing's records, which share their Created time, go back to
// the compose view together: its text and all its recipients.
int EditGroup(const FolderViewControls& view, ComposeTarget& compose, Folder& folder) {
    if (view.list.Count() == 0)
        return 0;
    const std::vector<std::size_t> rows = SelectedRows(view.list);
    PropArray props;
    std::optional<sms::FileTime> created;
    for (const std::size_t row : rows) {
        if (!ReadRowRecord(folder, view.list, row, props) || !HasShape(props, outbox::kPropCount))
            continue;
        const sms::FileTime time = FindPropFileTime(props, outbox::kCreated);
        if (!created) {
            created = time;
        } else if (time != *created) {
            view.prompter.ShowMessage(kEditGroupRefusal, platform::kPromptCaption,
                                      platform::PromptButtons::Ok, platform::PromptIcon::Stop);
            return 0;
        }
    }
    if (!created)
        return 0;

    // Only the records handed over leave the Outbox, all in one step, and
    // they are handed over only once they are gone: a record that cannot be
    // read stays, and a failed deletion leaves the group where it was.
    std::vector<std::pair<ObjectId, OutboxRecord>> group;
    for (const std::size_t row : rows) {
        if (!ReadRowRecord(folder, view.list, row, props))
            continue;
        if (std::optional<OutboxRecord> record = AsOutboxRecord(props))
            group.emplace_back(view.list.ItemData(row), std::move(*record));
    }
    const bool taken = folder.Atomically([&] {
        return std::all_of(group.begin(), group.end(),
                           [&](const auto& member) { return folder.DeleteRecord(member.first); });
    });
    if (!taken)
        return 0;
    for (const auto& [id, record] : group) {
        compose.AddRecipientEntry(ReplyEntry(record.RecipientName, record.RecipientNumber));
        compose.MessageText().SetText(record.Text);
        compose.MessageTextChanged();
    }
    return 1;
}

}  // namespace

int OutboxListOp(const FolderViewControls& view, ComposeTarget& compose, ListOperation operation,
                 Folder& outbox) {
    PropArray props;
    switch (operation) {
        case ListOperation::Fill:
            return Fill(view, outbox);
        case ListOperation::ShowSelected:
            ShowSelected(view, outbox, outbox::kPropCount, outbox::kText, outbox::kRecipientNumber,
                         props);
            return 1;
        case ListOperation::DeleteSelected:
            return DeleteSelected(view, outbox, StatusClearing::Once);
        case ListOperation::EditGroup:
            return EditGroup(view, compose, outbox);
        default:
            return 0;
    }
}

}  // namespace mivex::store
