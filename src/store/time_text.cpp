#include "store/time_text.h"

namespace mivex::store {

void AppendTwoDigits(std::u16string& text, int value) {
    // The fields are printed as unsigned shorts, so they wrap as printf would.
    unsigned number = static_cast<std::uint16_t>(value);
    char16_t digits[5];
    std::size_t count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + number % 10);
        number /= 10;
    } while (number != 0);
    if (count < 2)
        digits[count++] = u'0';
    while (count > 0)
        text.push_back(digits[--count]);
}

void AppendExportTime(std::u16string& text, sms::FileTime time) {
    const sms::CalendarTime calendar = sms::FileTimeToCalendar(time);
    AppendTwoDigits(text, calendar.day);
    text.push_back(u'/');
    AppendTwoDigits(text, calendar.month);
    text.push_back(u'/');
    AppendTwoDigits(text, calendar.year - 2000);
    text.append(u"  ");
    AppendTwoDigits(text, calendar.hour);
    text.push_back(u':');
    AppendTwoDigits(text, calendar.minute);
    text.push_back(u':');
    AppendTwoDigits(text, calendar.second);
}

}  // namespace mivex::store
