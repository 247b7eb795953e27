#include "store/delivery_text.h"
#include "store/folder_listing.h"
#include "store/listing_steps.h"
#include "store/message_records.h"

namespace mivex::store {

namespace {

using namespace listing;

std::optional<SentReport> ReportOf(const PropArray& record) {
    if (record.size() != sent::kReportedPropCount)
        return std::nullopt;
    return DecodeSentReport(FindPropBlob(record, sent::kReportSegments));
}

// The message, and under it a line on its delivery when a report is awaited.
void ShowSelectedSent(const FolderViewControls& view, Folder& folder, PropArray& props) {
    view.messageText.SetText(u"");
    const std::size_t row = platform::FirstSelectedIndex(view.list);
    if (row == view.list.Count() || !ReadRowRecord(folder, view.list, row, props) ||
        !HasSentShape(props))
        return;
    std::u16string text(StringProp(props, sent::kText));
    if (const std::u16string line = DeliveryLine(Summarise(ReportOf(props))); !line.empty())
        text.append(u"\r\n\r\n").append(line);
    view.messageText.SetText(text);
    view.status.ShowStatus(StringProp(props, sent::kRecipientNumber), platform::StatusBeep::None,
                           platform::StatusColour::Blue);
}

int Fill(const FolderViewControls& view, Folder& folder) {
    view.list.Reset();
    PropArray props;
    (void)ScanRecords(folder, props, [&](ObjectId id, const PropArray& record) {
        if (!HasSentShape(record))
            return;
        const std::size_t row = view.list.AddRow(SentRowText(
            FindPropFileTime(record, sent::kSentTime), StringProp(record, sent::kRecipientName),
            Summarise(ReportOf(record)).kind));
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
            ShowSelectedSent(view, sent, props);
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
