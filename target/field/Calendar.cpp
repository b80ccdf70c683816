#include "target/field/Calendar.h"

#include <cmath>

namespace mig {
namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr std::int64_t kUnixToDay0 = 25569;  // 1899-12-30 .. 1970-01-01
constexpr double kFirstDay = -693593;        // 0001-01-01
constexpr double kLastDay = 2958465;         // 9999-12-31

}  // namespace

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<Date> makeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return std::nullopt;
    if (day < 1 || day > daysInMonth(year, month)) return std::nullopt;
    const std::int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return Date{static_cast<std::int32_t>(days + kUnixToDay0)};
}

bool inCalendar(Date date) { return date.days >= kFirstDay && date.days <= kLastDay; }

CivilDate civilDate(Date date) {
    const std::int64_t z = static_cast<std::int64_t>(date.days) - kUnixToDay0 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
    return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

std::optional<Time> makeTime(int hour, int minute, int second, int ms) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || ms < 0 ||
        ms > 999)
        return std::nullopt;
    return Time{((hour * 60 + minute) * 60 + second) * 1000 + ms};
}

double toDateTimeNumber(Date date, Time time) {
    const double fraction = static_cast<double>(time.ms) / kMsPerDay;
    return date.days >= 0 ? date.days + fraction : date.days - fraction;
}

std::optional<DateTimeParts> splitDateTime(double value) {
    if (!std::isfinite(value) || value <= kFirstDay - 1 || value >= kLastDay + 1) return std::nullopt;
    const double whole = std::trunc(value);
    auto days = static_cast<std::int32_t>(whole);
    auto ms = static_cast<std::int64_t>(std::llround(std::fabs(value - whole) * kMsPerDay));
    if (ms >= kMsPerDay) {
        ms = 0;
        ++days;
    }
    if (days < kFirstDay || days > kLastDay) return std::nullopt;
    return DateTimeParts{Date{days}, Time{static_cast<std::int32_t>(ms)}};
}

}  // namespace mig
