#include "sms/file_time.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <utility>

namespace mivex::sms {

void PrintTo(const CalendarTime& t, std::ostream* os) {
    *os << t.year << '-' << t.month << '-' << t.day << ' ' << t.hour << ':' << t.minute << ':'
        << t.second << '.' << t.millisecond;
}

namespace {

TEST(FileTime, CountsHundredNanosecondsSince1601AndRefusesFieldsOutOfRange) {
    const std::pair<CalendarTime, FileTime> vectors[] = {
        {{1601, 1, 1, 0, 0, 0, 0}, 0},
        {{1601, 3, 1, 0, 0, 0, 1}, 50'976'000'010'000},
        {{1970, 1, 1, 0, 0, 0, 0}, 116'444'736'000'000'000},
        {{2000, 2, 29, 12, 0, 0, 0}, 125'962'992'000'000'000},
        {{2004, 12, 15, 13, 5, 8, 0}, 127'475'895'080'000'000},
        {{2024, 2, 29, 0, 0, 0, 0}, 133'536'384'000'000'000},
        {{2100, 3, 1, 23, 59, 59, 999}, 157'521'023'999'990'000},
        {{30827, 12, 31, 23, 59, 59, 999}, 9'223'149'887'999'990'000},
    };
    for (const auto& [calendar, time] : vectors) {
        SCOPED_TRACE(testing::PrintToString(calendar));
        EXPECT_EQ(CalendarToFileTime(calendar), time);
        EXPECT_EQ(FileTimeToCalendar(time), calendar);
    }
    EXPECT_EQ(FormatFileTime(127'475'895'089'999'999), "2004-12-15 13:05:08");
    const CalendarTime refused[] = {
        {1600, 12, 31, 23, 59, 59, 999}, {30828, 1, 1, 0, 0, 0, 0},   {2004, 13, 1, 0, 0, 0, 0},
        {2004, 4, 31, 0, 0, 0, 0},       {2100, 2, 29, 0, 0, 0, 0},   {2023, 2, 29, 0, 0, 0, 0},
        {2004, 6, 1, 24, 0, 0, 0},       {2004, 6, 1, -1, 0, 0, 0},   {2004, 6, 1, 0, 60, 0, 0},
        {2004, 6, 1, 0, 0, 60, 0},       {2004, 6, 1, 0, 0, 0, 1000}, {2004, 6, 1, 0, 0, 0, -1},
    };
    for (const CalendarTime& calendar : refused) {
        EXPECT_EQ(CalendarToFileTime(calendar), std::nullopt) << testing::PrintToString(calendar);
    }
}

}  // namespace
}  // namespace mivex::sms
