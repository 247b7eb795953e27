#include "store/text_export.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sms/file_time.h"
#include "store/export_file.h"
#include "store/message_records.h"
#include "store/time_text.h"

namespace mivex::store {

namespace {

// Where a folder's fields sit in its records.
struct LineLayout {
    std::u16string_view folderLabel;
    bool (*hasShape)(std::span<const PropVal> props);
    std::uint16_t time;
    std::uint16_t number;
    std::uint16_t name;
    std::uint16_t text;
};

bool HasInboxShape(std::span<const PropVal> props) {
    return props.size() == inbox::kPropCount;
}

// A Sent record's delivery report is not exported: the line keeps its four fields.
constexpr LineLayout kInboxLines{u"Inbox\t",           HasInboxShape,      inbox::kTimeStamp,
                                 inbox::kSenderNumber, inbox::kSenderName, inbox::kText};
constexpr LineLayout kSentLines{
    u"Sent\t",  HasSentShape, sent::kSentTime, sent::kRecipientNumber, sent::kRecipientName,
    sent::kText};

bool IsFlattened(char16_t unit) {
    return unit <= u'\r' && (unit == u'\r' || unit == u'\n' || unit == u'\t');
}

void AppendField(std::u16string& line, std::u16string& scratch, const PropArray& props,
                 std::uint16_t number) {
    const std::u16string* value = FindPropString(props, number);
    if (value == nullptr)
        return;
    if (std::none_of(value->begin(), value->end(), IsFlattened)) {
        line.append(*value);
        return;
    }
    scratch.assign(*value);
    FlattenField(scratch);
    line.append(scratch);
}

void WriteLines(Folder& folder, const LineLayout& layout, ExportFile& file, ExportCounts& counts) {
    PropArray buffer;
    std::u16string line;
    std::u16string scratch;
    const std::size_t unreadable =
        ScanRecords(folder, buffer, [&](ObjectId, const PropArray& props) {
            if (!layout.hasShape(props))
                return;
            line.assign(layout.folderLabel);
            AppendExportTime(line, FindPropFileTime(props, layout.time));
            line.push_back(u'\t');
            AppendField(line, scratch, props, layout.number);
            line.push_back(u'\t');
            AppendField(line, scratch, props, layout.name);
            line.push_back(u'\t');
            AppendField(line, scratch, props, layout.text);
            line.append(u"\r\n");
            file.Append(line);
            ++counts.written;
        });
    counts.unreadable += static_cast<int>(unreadable);
}

}  // namespace

std::u16string UnreadableExportText(int unreadable) {
    const std::string digits = std::to_string(unreadable);
    return std::u16string(digits.begin(), digits.end()) + std::u16string(kUnreadableExportTail);
}

std::optional<ExportCounts> ExportMessagesOrFail(Store& store, const std::filesystem::path& path) {
    ExportFile file(path);
    if (!file.Create())
        return std::nullopt;
    file.Append(u"\uFEFF");

    FolderHandle inbox = store.OpenFolder(kInboxName, kInboxByDate);
    if (!inbox)
        return std::nullopt;
    ExportCounts counts;
    WriteLines(*inbox, kInboxLines, file, counts);
    store.CloseFolder(inbox);

    if (FolderHandle sent = store.OpenFolder(kSentName, kSentByDate)) {
        WriteLines(*sent, kSentLines, file, counts);
        store.CloseFolder(sent);
    }
    if (!file.Commit())
        return std::nullopt;
    return counts;
}

int ExportMessages(Store& store, const std::filesystem::path& path) {
    const std::optional<ExportCounts> counts = ExportMessagesOrFail(store, path);
    return counts ? counts->written : 0;
}

std::size_t ReplaceAll(std::u16string& text, std::size_t limit, std::u16string_view search,
                       std::u16string_view replacement) {
    if (search.empty())
        return text.size();
    std::size_t position = text.find(search);
    if (position == std::u16string::npos)
        return text.size();

    // One forward pass into a new text: the same result as shifting the tail
    // at every match, without its quadratic cost.
    const std::size_t length = text.size();
    std::u16string result(text, 0, position);
    result.reserve(length);
    while (position < length) {
        if (text.compare(position, search.size(), search) != 0) {
            result.push_back(text[position++]);
            continue;
        }
        if (replacement.size() != search.size()) {
            const std::size_t currentLength = result.size() + (length - position);
            if (currentLength + replacement.size() >= limit + search.size())
                break;
        }
        result.append(replacement);
        position += search.size();
    }
    result.append(text, position);
    text = std::move(result);
    return text.size();
}

std::size_t FlattenLineBreaks(std::u16string& text) {
    const std::size_t limit = text.size();
    ReplaceAll(text, limit, u"\r\n", u" ");
    ReplaceAll(text, limit, u"\n\r", u" ");
    ReplaceAll(text, limit, u"\r", u" ");
    return ReplaceAll(text, limit, u"\n", u" ");
}

std::size_t FlattenField(std::u16string& text) {
    FlattenLineBreaks(text);
    return ReplaceAll(text, text.size(), u"\t", u" ");
}

}  // namespace mivex::store
