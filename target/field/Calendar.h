#pragma once
// Calendar arithmetic of the field layer: dates as day numbers counted from 30 December 1899
// (day 0), times of day in milliseconds, and the date-and-time double that joins them.
#include <cstdint>
#include <optional>

#include "target/field/Value.h"

namespace mig {

inline constexpr std::int32_t kMsPerDay = 86'400'000;

struct CivilDate {
    int year = 0, month = 0, day = 0;
    bool operator==(const CivilDate&) const = default;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);  // 0 for a month outside 1..12

// The date of that year, month and day when it exists in years 1 to 9999.
std::optional<Date> makeDate(int year, int month, int day);
// Whether the day lies in years 1 to 9999.
bool inCalendar(Date date);
CivilDate civilDate(Date date);

std::optional<Time> makeTime(int hour, int minute, int second, int ms);

// Days plus the time of day as a fraction. Before day 0 the fraction is subtracted
// (-1.25 is 29 December 1899, 06:00), as the date-and-time numbers of the legacy system are.
double toDateTimeNumber(Date date, Time time);

struct DateTimeParts {
    Date date;
    Time time;
};
// The date and the time of day (rounded to the millisecond) of a date-and-time number.
// Empty for a number that is not finite or lies outside years 1 to 9999.
std::optional<DateTimeParts> splitDateTime(double value);

}  // namespace mig
