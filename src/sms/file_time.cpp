#include "sms/file_time.h"

#include <chrono>
#include <cstdio>

namespace mivex::sms {
namespace {

using std::chrono::day;
using std::chrono::days;
using std::chrono::month;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;

constexpr std::uint64_t kTicksPerMillisecond = 10'000;
constexpr std::uint64_t kTicksPerSecond = 1000 * kTicksPerMillisecond;
constexpr std::uint64_t kTicksPerDay = 86'400 * kTicksPerSecond;

constexpr sys_days kEpoch = sys_days{year{1601} / 1 / 1};

constexpr bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

}  // namespace

std::optional<FileTime> CalendarToFileTime(const CalendarTime& time) {
    if (!InRange(time.year, 1601, 30827) || !InRange(time.month, 1, 12) ||
        !InRange(time.hour, 0, 23) || !InRange(time.minute, 0, 59) ||
        !InRange(time.second, 0, 59) || !InRange(time.millisecond, 0, 999) || time.day < 1) {
        return std::nullopt;
    }
    const year_month_day date{year{time.year}, month{static_cast<unsigned>(time.month)},
                              day{static_cast<unsigned>(time.day)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    const auto dayCount = static_cast<std::uint64_t>((sys_days{date} - kEpoch).count());
    const auto secondOfDay =
        static_cast<std::uint64_t>(time.hour * 3600 + time.minute * 60 + time.second);
    return dayCount * kTicksPerDay + secondOfDay * kTicksPerSecond +
           static_cast<std::uint64_t>(time.millisecond) * kTicksPerMillisecond;
}

CalendarTime FileTimeToCalendar(FileTime time) {
    const year_month_day date{kEpoch + days{static_cast<long>(time / kTicksPerDay)}};
    const std::uint64_t ticksOfDay = time % kTicksPerDay;
    const std::uint64_t secondOfDay = ticksOfDay / kTicksPerSecond;
    CalendarTime calendar;
    calendar.year = static_cast<int>(date.year());
    calendar.month = static_cast<int>(static_cast<unsigned>(date.month()));
    calendar.day = static_cast<int>(static_cast<unsigned>(date.day()));
    calendar.hour = static_cast<int>(secondOfDay / 3600);
    calendar.minute = static_cast<int>(secondOfDay / 60 % 60);
    calendar.second = static_cast<int>(secondOfDay % 60);
    calendar.millisecond = static_cast<int>(ticksOfDay % kTicksPerSecond / kTicksPerMillisecond);
    return calendar;
}

std::string FormatFileTime(FileTime time) {
    const CalendarTime c = FileTimeToCalendar(time);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day,
                  c.hour, c.minute, c.second);
    return text;
}

}  // namespace mivex::sms
