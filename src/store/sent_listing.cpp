#include "store/folder_listing.h"
#include "store/listing_steps.h"
#include "store/message_records.h"

namespace mivex::store {

namespace {

using namespace listing;

int Fill(const FolderViewControls& view, Folder& folder) {
    view.list.Reset();
    PropArray props;
    (void)ScanRecords(folder, props, [&](ObjectId id, const PropArray& record) {
        if (!HasShape(record, sent::kPropCount))
            return;
        const std::size_t row = view.list.AddRow(RecipientRowText(
            FindPropFileTime(record, sent::kSentTime), StringProp(record, sent::kRecipientName)));
        view.list.SetItemData(row, id);
    });
    ShowRowCount(view);
    return static_cast<int>(view.list.Count());
}

int CopyToNew(const FolderViewControls& view, ComposeTarget& compose, Folder& folder) {
    const std::size_t row = platform::FirstSelectedIndex(view.list);
    PropArray props;
    if (row == view.list.Count() || !ReadRowRecord(folder, view.list, row, props))
        return 1;
    const std::optional<SentRecord> record = AsSentRecord(props);
    if (!record)
        return 1;
    compose.AddRecipientEntry(ReplyEntry(record->RecipientName, record->RecipientNumber));
    platform::TextControl& text = compose.MessageText();
    text.SetText(record->Text);
    text.SetSelection(0, record->Text.size());
    compose.MessageTextChanged();
    return 1;
}

}  // namespace

int SentListOp(const FolderViewControls& view, ComposeTarget& compose, ListOperation operation,
               Folder& sent) {
    PropArray props;
    switch (operation) {
        case ListOperation::Fill:
            return Fill(view, sent);
        case ListOperation::ShowSelected:
            ShowSelected(view, sent, sent::kPropCount, sent::kText, sent::kRecipientNumber, props);
            return 1;
        case ListOperation::DeleteSelected:
            return DeleteSelected(view, sent, StatusClearing::Once);
        case ListOperation::CopyToNew:
            return CopyToNew(view, compose, sent);
        default:
            return 0;
    }
}

}  // namespace mivex::store
