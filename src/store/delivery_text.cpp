#include "store/delivery_text.h"

#include "sms/delivery_status.h"
#include "store/folder_listing.h"
#include "store/time_text.h"

namespace mivex::store {

std::u16string_view DeliveryMark(DeliveryKind kind) {
    switch (kind) {
        case DeliveryKind::Delivered:
            return u"\u2713 ";
        case DeliveryKind::Waiting:
        case DeliveryKind::Trying:
            return u"\u2026 ";
        case DeliveryKind::Failed:
            return u"\u2717 ";
        case DeliveryKind::None:
            break;
    }
    return u"";
}

std::u16string SentRowText(sms::FileTime sentTime, std::u16string_view recipientName,
                           DeliveryKind kind) {
    const std::u16string_view mark = DeliveryMark(kind);
    std::u16string name;
    name.reserve(mark.size() + recipientName.size());
    name.append(mark).append(recipientName);
    return RecipientRowText(sentTime, name);
}

void AppendDeliveryTime(std::u16string& text, sms::FileTime time) {
    const sms::CalendarTime calendar = sms::FileTimeToCalendar(time);
    AppendTwoDigits(text, calendar.year / 100);
    AppendTwoDigits(text, calendar.year % 100);
    text.push_back(u'-');
    AppendTwoDigits(text, calendar.month);
    text.push_back(u'-');
    AppendTwoDigits(text, calendar.day);
    text.push_back(u' ');
    AppendTwoDigits(text, calendar.hour);
    text.push_back(u':');
    AppendTwoDigits(text, calendar.minute);
}

std::u16string DeliveryLine(const DeliverySummary& summary) {
    std::u16string line;
    switch (summary.kind) {
        case DeliveryKind::Delivered:
            line = u"Delivered ";
            AppendDeliveryTime(line, summary.time);
            break;
        case DeliveryKind::Waiting:
            line = u"Waiting for the delivery report";
            break;
        case DeliveryKind::Trying:
            line = u"Not delivered yet, the network keeps trying: ";
            line.append(sms::DeliveryReason(summary.status));
            break;
        case DeliveryKind::Failed:
            line = u"Not delivered: ";
            line.append(sms::DeliveryReason(summary.status));
            break;
        case DeliveryKind::None:
            break;
    }
    return line;
}

std::u16string DeliveryColumn(const DeliverySummary& summary) {
    std::u16string column;
    switch (summary.kind) {
        case DeliveryKind::Delivered:
            column = u"delivered ";
            AppendDeliveryTime(column, summary.time);
            break;
        case DeliveryKind::Waiting:
        case DeliveryKind::Trying:
            column = u"waiting";
            break;
        case DeliveryKind::Failed:
            column = u"failed: ";
            column.append(sms::DeliveryReason(summary.status));
            break;
        case DeliveryKind::None:
            break;
    }
    return column;
}

}  // namespace mivex::store
