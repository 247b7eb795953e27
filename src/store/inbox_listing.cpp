#include "store/folder_listing.h"
#include "store/listing_steps.h"
#include "store/message_records.h"

namespace mivex::store {

namespace {

using namespace listing;

bool IsInboxRecord(const PropArray& props) {
    return HasShape(props, inbox::kPropCount);
}

int Fill(const FolderViewControls& view, Folder& folder) {
    view.list.Reset();
    PropArray props;
    (void)ScanRecords(folder, props, [&](ObjectId id, const PropArray& record) {
        if (!IsInboxRecord(record))
            return;
        const std::size_t row = view.list.AddRow(InboxRowText(
            FindPropFileTime(record, inbox::kTimeStamp), FindPropI4(record, inbox::kUnread) != 0,
            StringProp(record, inbox::kSenderName)));
        view.list.SetItemData(row, id);
    });
    ShowRowCount(view);
    return static_cast<int>(view.list.Count());
}

int Show(const FolderViewControls& view, Folder& folder) {
    PropArray props;
    const std::size_t row =
        ShowSelected(view, folder, inbox::kPropCount, inbox::kText, inbox::kSenderNumber, props);
    if (row == view.list.Count() || FindPropI4(props, inbox::kUnread) == 0)
        return 1;
    // The row changes to the read layout only once the mark is stored, so a
    // message whose mark could not be cleared still shows as new.
    const ObjectId id = view.list.ItemData(row);
    const PropVal read = PropVal::I4(inbox::kUnread, 0);
    if (folder.WriteRecord(id, {&read, 1}) == 0)
        return 1;
    view.list.DeleteRow(row);
    view.list.InsertRow(row, InboxRowText(FindPropFileTime(props, inbox::kTimeStamp), false,
                                          StringProp(props, inbox::kSenderName)));
    view.list.SetItemData(row, id);
    view.list.SetSelected(row, true);
    return 1;
}

// The first selected message, read whole; nothing when there is none.
std::optional<InboxRecord> FirstSelected(const FolderViewControls& view, Folder& folder) {
    const std::size_t row = platform::FirstSelectedIndex(view.list);
    PropArray props;
    if (row == view.list.Count() || !ReadRowRecord(folder, view.list, row, props))
        return std::nullopt;
    return AsInboxRecord(props);
}

int Reply(const FolderViewControls& view, ComposeTarget& compose, Folder& folder) {
    const std::optional<InboxRecord> record = FirstSelected(view, folder);
    if (!record)
        return 1;
    compose.AddRecipientEntry(ReplyEntry(record->SenderName, record->SenderNumber));
    platform::TextControl& text = compose.MessageText();
    text.SetText(kReplyPrefix);
    text.SetSelection(kReplyPrefix.size(), kReplyPrefix.size());
    text.ReplaceSelection(record->Text);
    compose.MessageTextChanged();
    return 1;
}

int Forward(const FolderViewControls& view, ComposeTarget& compose, Folder& folder) {
    const std::optional<InboxRecord> record = FirstSelected(view, folder);
    if (!record)
        return 1;
    compose.MessageText().SetText(record->Text);
    compose.MessageTextChanged();
    return 1;
}

}  // namespace

int InboxListOp(const FolderViewControls& view, ComposeTarget& compose, ListOperation operation,
                Folder& inbox) {
    switch (operation) {
        case ListOperation::Fill:
            return Fill(view, inbox);
        case ListOperation::ShowSelected:
            return Show(view, inbox);
        case ListOperation::DeleteSelected:
            return DeleteSelected(view, inbox, StatusClearing::EachRow);
        case ListOperation::Reply:
            return Reply(view, compose, inbox);
        case ListOperation::Forward:
            return Forward(view, compose, inbox);
    }
    return 0;
}

}  // namespace mivex::store
