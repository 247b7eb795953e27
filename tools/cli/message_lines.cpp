#include "message_lines.h"

#include "store/delivery_text.h"
#include "store/message_records.h"
#include "store/text_export.h"
#include "store/time_text.h"

namespace mivex::tools {

namespace {

struct LineFields {
    sms::FileTime time;
    std::u16string number;
    std::u16string name;
    std::u16string text;
    // Sent only: where its delivery stands, a column of its own even when empty.
    std::optional<std::u16string> delivery = std::nullopt;
};

std::optional<LineFields> FieldsOf(ListedFolder folder, std::span<const store::PropVal> props) {
    switch (folder) {
        case ListedFolder::Inbox:
            if (auto record = store::AsInboxRecord(props))
                return LineFields{record->TimeStamp, std::move(record->SenderNumber),
                                  std::move(record->SenderName), std::move(record->Text)};
            break;
        case ListedFolder::Outbox:
            if (auto record = store::AsOutboxRecord(props))
                return LineFields{record->Created, std::move(record->RecipientNumber),
                                  std::move(record->RecipientName), std::move(record->Text)};
            break;
        case ListedFolder::Sent:
            if (auto record = store::AsSentRecord(props))
                return LineFields{record->SentTime, std::move(record->RecipientNumber),
                                  std::move(record->RecipientName), std::move(record->Text),
                                  store::DeliveryColumn(store::Summarise(record->ReportSegments))};
            break;
    }
    return std::nullopt;
}

void AppendField(std::u16string& line, std::u16string& field) {
    line.push_back(u'\t');
    store::FlattenField(field);
    line.append(field);
}

}  // namespace

std::optional<std::u16string> MessageLine(ListedFolder folder,
                                          std::span<const store::PropVal> props) {
    std::optional<LineFields> fields = FieldsOf(folder, props);
    if (!fields)
        return std::nullopt;
    std::u16string line;
    store::AppendExportTime(line, fields->time);
    AppendField(line, fields->number);
    AppendField(line, fields->name);
    AppendField(line, fields->text);
    if (fields->delivery)
        AppendField(line, *fields->delivery);
    return line;
}

}  // namespace mivex::tools
