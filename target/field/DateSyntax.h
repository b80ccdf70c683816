#pragma once
// Dates and times as text, by the short date format, the date separator and the long time
// format of the settings passed in.
//
// Format letters (either case): d day, dd day with two digits; m month, mm two digits;
// y or yy the year's last two digits, yyy or yyyy the year with four digits; e the year;
// h hour, hh two digits; m or n after an hour (and in a time format) minutes, mm or nn two
// digits; s, ss seconds; z, zzz milliseconds; AMPM, am/pm, a/p the half of the day (the hour
// then counts 1 to 12). '/' stands for the date separator. Text in double or single quotes
// and every other character are copied.
#include <optional>
#include <string>
#include <string_view>

#include "target/field/RegionalSettings.h"
#include "target/field/Value.h"

namespace mig {

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

// The order fixed by the first of d, m, y or e in the short date format (month-day-year when
// it has none).
DateOrder dateOrder(std::string_view shortDateFormat);

// Three numbers in the format's order, joined by the date separator, or two (day and month in
// the format's order, month first when the year leads; the year is then the current one).
// Blanks may precede each number and separator; a number has at most four significant digits;
// a year written with one or two digits falls in the hundred years beginning 50 years before
// the current year; an optional separator and blanks may end the text. The date must exist.
std::optional<Date> parseDate(std::string_view text, const RegionalSettings& settings);

// Hours ":" minutes, optionally ":" seconds and the decimal separator with milliseconds, then
// optionally "AM" or "PM" (hour 1 to 12). Blanks may precede each part.
std::optional<Time> parseTime(std::string_view text, const RegionalSettings& settings);

// A date, optionally followed by a time of day; or a time of day alone (on day 0).
std::optional<DateTime> parseDateTime(std::string_view text, const RegionalSettings& settings);

std::string formatDate(Date date, const RegionalSettings& settings);
std::string formatTime(Time time, const RegionalSettings& settings);
// The date, then a blank and the time, the time left out when it is exactly midnight.
// A number outside years 1 to 9999 (or not finite) is written in the general float format.
std::string formatDateTime(DateTime value, const RegionalSettings& settings);
std::string formatTimestamp(const Timestamp& value, const RegionalSettings& settings);

// Conversions between the date-and-time number and the timestamp's parts.
std::optional<Timestamp> toTimestamp(DateTime value);
std::optional<DateTime> fromTimestamp(const Timestamp& value);

}  // namespace mig
