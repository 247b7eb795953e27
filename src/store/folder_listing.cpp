#include "store/folder_listing.h"

#include <string>
#include <vector>

#include "store/listing_steps.h"
#include "store/time_text.h"

namespace mivex::store {

namespace {

// "%02.2hu%02.2hu  %02.2hu:%02.2hu" of month, day, hour and minute.
void AppendRowTime(std::u16string& text, sms::FileTime time) {
    const sms::CalendarTime calendar = sms::FileTimeToCalendar(time);
    AppendTwoDigits(text, calendar.month);
    AppendTwoDigits(text, calendar.day);
    text.append(u"  ");
    AppendTwoDigits(text, calendar.hour);
    text.push_back(u':');
    AppendTwoDigits(text, calendar.minute);
}

}  // namespace

std::u16string InboxRowText(sms::FileTime timeStamp, bool unread, std::u16string_view senderName) {
    std::u16string text;
    text.reserve(15 + senderName.size());
    AppendRowTime(text, timeStamp);
    text.append(unread ? u" * " : u"    ");
    text.append(senderName);
    return text;
}

std::u16string RecipientRowText(sms::FileTime time, std::u16string_view recipientName) {
    std::u16string text;
    text.reserve(13 + recipientName.size());
    AppendRowTime(text, time);
    text.append(u"  ");
    text.append(recipientName);
    return text;
}

std::u16string ReplyEntry(std::u16string_view name, std::u16string_view number) {
    // A record whose name was never filled in would otherwise give the entry
    // ",number", a recipient without a name to show.
    if (name == number || name.empty())
        return std::u16string(number);
    std::u16string entry(name);
    entry.push_back(u',');
    entry.append(number);
    return entry;
}

std::u16string CounterText(std::size_t rows) {
    const std::string digits = std::to_string(rows);
    return std::u16string(digits.begin(), digits.end());
}

namespace listing {

bool ReadRowRecord(Folder& folder, const platform::ListControl& list, std::size_t row,
                   PropArray& props) {
    const ObjectId id = list.ItemData(row);
    return id != 0 && folder.SeekToId(id) == id && folder.ReadRecord(props).Read(id);
}

std::u16string_view StringProp(const PropArray& props, std::uint16_t number) {
    const std::u16string* text = FindPropString(props, number);
    return text ? std::u16string_view(*text) : std::u16string_view();
}

void ShowRowCount(const FolderViewControls& view) {
    view.counter.SetText(CounterText(view.list.Count()));
}

void ClearStatus(platform::StatusSink& status) {
    status.ShowStatus(u"", platform::StatusBeep::None, platform::StatusColour::Keep);
}

std::size_t ShowSelected(const FolderViewControls& view, Folder& folder, std::size_t propCount,
                         std::uint16_t textProp, std::uint16_t numberProp, PropArray& props) {
    view.messageText.SetText(u"");
    const std::size_t rowCount = view.list.Count();
    const std::size_t row = platform::FirstSelectedIndex(view.list);
    if (row == rowCount || !ReadRowRecord(folder, view.list, row, props) ||
        !HasShape(props, propCount))
        return rowCount;
    view.messageText.SetText(StringProp(props, textProp));
    view.status.ShowStatus(StringProp(props, numberProp), platform::StatusBeep::None,
                           platform::StatusColour::Blue);
    return row;
}

int DeleteSelected(const FolderViewControls& view, Folder& folder, StatusClearing clearing) {
    if (view.list.SelectedCount() == 0 || !view.prompter.Confirm(kDeleteQuestion))
        return 0;
    view.list.RepaintOwner();

    // All the deletions are one durable step; a row goes only when its
    // record is known to be gone, so the list never hides a stored message.
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < view.list.Count(); ++row) {
        if (view.list.IsSelected(row))
            rows.push_back(row);
    }
    std::vector<bool> deleted(rows.size(), false);
    const bool committed = folder.Atomically([&] {
        for (std::size_t index = 0; index < rows.size(); ++index)
            deleted[index] = folder.DeleteRecord(view.list.ItemData(rows[index]));
        return true;
    });

    if (committed) {
        // Highest row first, so the indices still to come stay valid.
        for (std::size_t index = rows.size(); index-- > 0;) {
            if (!deleted[index])
                continue;
            view.list.DeleteRow(rows[index]);
            view.messageText.SetText(u"");
            if (clearing == StatusClearing::EachRow)
                ClearStatus(view.status);
        }
    }
    if (clearing == StatusClearing::Once)
        ClearStatus(view.status);
    ShowRowCount(view);
    return 1;
}

}  // namespace listing

}  // namespace mivex::store
