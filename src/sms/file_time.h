#pragma once

// File times: 100-ns intervals since 1601-01-01 00:00, made from local
// wall-clock fields with no time-zone step, as the store keeps them.

#include <cstdint>
#include <optional>
#include <string>

namespace mivex::sms {

using FileTime = std::uint64_t;

struct CalendarTime {
    int year = 1601;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

// The file time of a calendar time, or nothing when a field is out of range:
// year 1601-30827, month 1-12, day within the month (Gregorian leap years), hour
// 0-23, minute and second 0-59, millisecond 0-999.
[[nodiscard]] std::optional<FileTime> CalendarToFileTime(const CalendarTime& time);

// The calendar fields of a file time (the inverse of CalendarToFileTime).
[[nodiscard]] CalendarTime FileTimeToCalendar(FileTime time);

// "YYYY-MM-DD HH:MM:SS".
[[nodiscard]] std::string FormatFileTime(FileTime time);

}  // namespace mivex::sms
