// The date syntax in each order, the 50-year window, and dates and times written by the
// short date and long time formats.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "target/field/Calendar.h"
#include "target/field/DateSyntax.h"
#include "tests/field/Printers.h"

namespace mig {
namespace {

RegionalSettings withDate(std::string format, char separator = '/', int year = 2026) {
    RegionalSettings s;
    s.shortDateFormat = std::move(format);
    s.dateSeparator = separator;
    s.currentYear = year;
    return s;
}

std::optional<CivilDate> parsed(std::string_view text, const RegionalSettings& s) {
    const auto d = parseDate(text, s);
    if (!d) return std::nullopt;
    return civilDate(*d);
}

TEST(Calendar, DayZeroIsTheLastDayOf1899) {
    EXPECT_EQ(makeDate(1899, 12, 30), Date{0});
    EXPECT_EQ(makeDate(1900, 1, 1), Date{2});
    EXPECT_EQ(makeDate(2000, 1, 1), Date{36526});
    EXPECT_EQ(makeDate(1, 1, 1), Date{-693593});
    EXPECT_EQ(makeDate(9999, 12, 31), Date{2958465});
    for (const int days : {-693593, -1, 0, 1, 59, 60, 61, 36526, 45000, 2958465}) {
        const CivilDate c = civilDate(Date{days});
        EXPECT_EQ(makeDate(c.year, c.month, c.day), Date{days}) << days;
    }
}

TEST(Calendar, NegativeDateTimeNumbersSubtractTheTime) {
    const auto six = makeTime(6, 0, 0, 0);
    ASSERT_TRUE(six);
    EXPECT_EQ(toDateTimeNumber(Date{-1}, *six), -1.25);
    const auto parts = splitDateTime(-1.25);
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->date, Date{-1});
    EXPECT_EQ(parts->time, *six);
    // A time that rounds up to midnight moves to the next day.
    const auto late = splitDateTime(10.9999999999);
    ASSERT_TRUE(late);
    EXPECT_EQ(late->date, Date{11});
    EXPECT_EQ(late->time, Time{0});
    EXPECT_FALSE(splitDateTime(1e12));
}

struct DateRow {
    const char* text;
    const char* format;
    char separator;
    std::optional<CivilDate> expected;
};

TEST(DateSyntax, Table) {
    const DateRow rows[] = {
        // The order follows the first of d, m, y or e in the short date format.
        {"5/1/2020", "m/d/yy", '/', CivilDate{2020, 5, 1}},
        {"5/1/2020", "dd/mm/yyyy", '/', CivilDate{2020, 1, 5}},
        {"2020/5/1", "yyyy/mm/dd", '/', CivilDate{2020, 5, 1}},
        {"2020/5/1", "ee/mm/dd", '/', CivilDate{2020, 5, 1}},
        {"\"day\" d/m/y", "\"day\" d/m/y", '/', std::nullopt},  // letters of quoted text do not count
        {"5/1/2020", "'month' d/m/y", '/', CivilDate{2020, 1, 5}},
        {"05.01.2020", "dd/mm/yyyy", '.', CivilDate{2020, 1, 5}},
        {"05/01/2020", "dd/mm/yyyy", '.', std::nullopt},  // only the locale's separator
        {"2020-05-01", "yyyy/mm/dd", '-', CivilDate{2020, 5, 1}},
        // Two numbers: this year, in the format's order; month first when the year leads.
        {"5/1", "dd/mm/yyyy", '/', CivilDate{2026, 1, 5}},
        {"5/1", "m/d/yy", '/', CivilDate{2026, 5, 1}},
        {"5/1", "yyyy/mm/dd", '/', CivilDate{2026, 5, 1}},
        // Blanks before numbers and separators, a trailing separator and blanks.
        {" 5 / 1 / 2020", "dd/mm/yyyy", '/', CivilDate{2020, 1, 5}},
        {"5/1/2020/", "dd/mm/yyyy", '/', CivilDate{2020, 1, 5}},
        {"5/1/2020 / ", "dd/mm/yyyy", '/', CivilDate{2020, 1, 5}},
        {"5/1/2020  ", "dd/mm/yyyy", '/', CivilDate{2020, 1, 5}},
        // After two numbers too: the year is then the current one.
        {"5/1/", "dd/mm/yyyy", '/', CivilDate{2026, 1, 5}},
        {"5/1/", "m/d/yy", '/', CivilDate{2026, 5, 1}},
        {"5 / 1 / ", "dd/mm/yyyy", '/', CivilDate{2026, 1, 5}},
        {"05.01.", "dd/mm/yyyy", '.', CivilDate{2026, 1, 5}},
        {"5/1//", "dd/mm/yyyy", '/', std::nullopt},
        {"5/1/x", "dd/mm/yyyy", '/', std::nullopt},
        {"31/2/", "dd/mm/yyyy", '/', std::nullopt},
        {"5/1/2020//", "dd/mm/yyyy", '/', std::nullopt},
        {"5/1/2020 x", "dd/mm/yyyy", '/', std::nullopt},
        {"5 /1/2020", "dd/mm/yyyy", '/', CivilDate{2020, 1, 5}},
        // The 50-year window of one- and two-digit years (current year 2026).
        {"1/1/80", "d/m/y", '/', CivilDate{1980, 1, 1}},
        {"1/1/60", "d/m/y", '/', CivilDate{2060, 1, 1}},
        {"1/1/76", "d/m/y", '/', CivilDate{1976, 1, 1}},
        {"1/1/75", "d/m/y", '/', CivilDate{2075, 1, 1}},
        {"1/1/0", "d/m/y", '/', CivilDate{2000, 1, 1}},
        {"1/1/00", "d/m/y", '/', CivilDate{2000, 1, 1}},
        {"1/1/060", "d/m/y", '/', CivilDate{60, 1, 1}},  // three digits: taken as written
        {"60/1/1", "y/m/d", '/', CivilDate{2060, 1, 1}},
        // At most four significant digits per number.
        {"1/1/02020", "d/m/y", '/', CivilDate{2020, 1, 1}},
        {"1/1/20201", "d/m/y", '/', std::nullopt},
        {"0001/1/2020", "d/m/y", '/', CivilDate{2020, 1, 1}},
        // The date must exist.
        {"29/2/2024", "d/m/y", '/', CivilDate{2024, 2, 29}},
        {"29/2/2026", "d/m/y", '/', std::nullopt},
        {"29/2/2000", "d/m/y", '/', CivilDate{2000, 2, 29}},
        {"29/2/1900", "d/m/y", '/', std::nullopt},
        {"31/4/2020", "d/m/y", '/', std::nullopt},
        {"31/12/9999", "d/m/y", '/', CivilDate{9999, 12, 31}},
        {"1/1/0000", "d/m/y", '/', std::nullopt},
        {"0/1/2020", "d/m/y", '/', std::nullopt},
        {"1/13/2020", "d/m/y", '/', std::nullopt},
        {"1/0/2020", "d/m/y", '/', std::nullopt},
        // Not dates at all.
        {"", "d/m/y", '/', std::nullopt},
        {"2020", "d/m/y", '/', std::nullopt},
        {"a/1/2020", "d/m/y", '/', std::nullopt},
        {"-1/1/2020", "d/m/y", '/', std::nullopt},
        {"1/1/2020 10:00", "d/m/y", '/', std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("text '") + row.text + "' format '" + row.format + "'");
        EXPECT_EQ(parsed(row.text, withDate(row.format, row.separator)), row.expected);
    }
}

TEST(DateSyntax, TheWindowMovesWithTheCurrentYear) {
    EXPECT_EQ(parsed("1/1/99", withDate("d/m/y", '/', 2051)), (CivilDate{2099, 1, 1}));
    EXPECT_EQ(parsed("1/1/00", withDate("d/m/y", '/', 2051)), (CivilDate{2100, 1, 1}));
    EXPECT_EQ(parsed("1/1/01", withDate("d/m/y", '/', 2051)), (CivilDate{2001, 1, 1}));
    EXPECT_EQ(parsed("1/1", withDate("d/m/y", '/', 1999)), (CivilDate{1999, 1, 1}));
}

struct DateTextRow {
    CivilDate date;
    const char* format;
    char separator;
    const char* expected;
};

TEST(DateText, Table) {
    const DateTextRow rows[] = {
        {{2020, 5, 1}, "m/d/yy", '/', "5/1/20"},
        {{2020, 5, 1}, "dd/mm/yyyy", '/', "01/05/2020"},
        {{2020, 5, 1}, "dd/mm/yyyy", '.', "01.05.2020"},
        {{2020, 12, 31}, "yyyy/mm/dd", '-', "2020-12-31"},
        {{1960, 3, 4}, "dd/mm/yy", '/', "04/03/60"},
        {{2005, 3, 4}, "d/m/y", '/', "4/3/05"},
        {{99, 3, 4}, "dd/mm/yyyy", '/', "04/03/0099"},
        {{2020, 5, 1}, "e/m/d", '/', "2020/5/1"},
        {{2020, 5, 1}, "dd'de'mm", '/', "01de05"},
        {{2020, 5, 1}, "\"d/m\" d", '/', "d/m 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        const auto date = makeDate(row.date.year, row.date.month, row.date.day);
        ASSERT_TRUE(date);
        EXPECT_EQ(formatDate(*date, withDate(row.format, row.separator)), row.expected);
    }
}

TEST(DateText, ReadsBackUnderEveryOrder) {
    for (const char* format : {"m/d/yy", "dd/mm/yyyy", "yyyy/mm/dd", "d/m/yy"}) {
        const RegionalSettings s = withDate(format, '/', 2026);
        for (const int days : {27760, 36526, 45000, 64000}) {  // 1976 .. 2075, inside the window
            SCOPED_TRACE(std::string(format) + " day " + std::to_string(days));
            EXPECT_EQ(parseDate(formatDate(Date{days}, s), s), Date{days});
        }
    }
}

struct TimeTextRow {
    int hour, minute, second, ms;
    const char* format;
    const char* expected;
};

TEST(TimeText, Table) {
    const TimeTextRow rows[] = {
        {9, 5, 3, 0, "h:mm:ss", "9:05:03"},
        {9, 5, 3, 0, "hh:mm:ss", "09:05:03"},
        {21, 5, 3, 0, "hh:nn:ss", "21:05:03"},
        {21, 5, 3, 0, "h:mm:ss AMPM", "9:05:03 PM"},
        {0, 5, 3, 0, "h:mm:ss AMPM", "12:05:03 AM"},
        {12, 0, 0, 0, "h:mm am/pm", "12:00 pm"},
        {1, 0, 0, 0, "h:mm A/P", "1:00 A"},
        {13, 7, 8, 45, "hh:mm:ss.zzz", "13:07:08.045"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        RegionalSettings s;
        s.longTimeFormat = row.format;
        const auto t = makeTime(row.hour, row.minute, row.second, row.ms);
        ASSERT_TRUE(t);
        EXPECT_EQ(formatTime(*t, s), row.expected);
    }
}

struct DateTimeRow {
    const char* text;
    std::optional<double> expected;
};

TEST(DateTimeSyntax, Table) {
    RegionalSettings s = withDate("dd/mm/yyyy");
    s.decimalSeparator = ',';
    const DateTimeRow rows[] = {
        {"30/12/1899", 0.0},
        {"31/12/1899 06:00", 1.25},
        {"31/12/1899 6:00:00", 1.25},
        {"31/12/1899 18:00:00", 1.75},
        {"31/12/1899 6:00 PM", 1.75},
        {"31/12/1899 12:00 am", 1.0},
        {"31/12/1899 12:00 PM", 1.5},
        {"31/12/1899 13:00 PM", std::nullopt},
        {"29/12/1899 06:00", -1.25},
        {"18:00", 0.75},
        {" 18 : 00 : 00 ", 0.75},
        {"31/12/1899 00:00:00,5", 1.0 + 500.0 / kMsPerDay},
        {"31/12/1899 24:00", std::nullopt},
        {"31/12/1899 10:60", std::nullopt},
        {"31/12/1899 10", std::nullopt},
        {"31/12/1899 10:00 x", std::nullopt},
        {"10", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("text '") + row.text + "'");
        const auto got = parseDateTime(row.text, s);
        ASSERT_EQ(got.has_value(), row.expected.has_value());
        if (got) {
            EXPECT_DOUBLE_EQ(got->value, *row.expected);
        }
    }
}

TEST(DateTimeText, LeavesOutAMidnightTime) {
    RegionalSettings s = withDate("dd/mm/yyyy");
    s.longTimeFormat = "hh:mm:ss";
    EXPECT_EQ(formatDateTime(DateTime{1.0}, s), "31/12/1899");
    EXPECT_EQ(formatDateTime(DateTime{1.75}, s), "31/12/1899 18:00:00");
    EXPECT_EQ(formatDateTime(DateTime{-1.25}, s), "29/12/1899 06:00:00");
    EXPECT_EQ(formatDateTime(DateTime{0.5}, s), "30/12/1899 12:00:00");
    // A number no calendar holds is written as a number rather than as a wrong date.
    EXPECT_EQ(formatDateTime(DateTime{1e20}, s), "1E20");
}

TEST(Timestamp, FollowsTheDateAndTimeNumber) {
    RegionalSettings s = withDate("dd/mm/yyyy");
    s.longTimeFormat = "hh:mm:ss";
    const auto dt = parseDateTime("15/08/2021 13:45:30", s);
    ASSERT_TRUE(dt);
    const auto ts = toTimestamp(*dt);
    ASSERT_TRUE(ts);
    EXPECT_EQ(*ts, (Timestamp{2021, 8, 15, 13, 45, 30, 0}));
    EXPECT_EQ(formatTimestamp(*ts, s), "15/08/2021 13:45:30");
    EXPECT_EQ(formatTimestamp(Timestamp{2021, 8, 15, 0, 0, 0, 0}, s), "15/08/2021");
    const auto back = fromTimestamp(*ts);
    ASSERT_TRUE(back);
    EXPECT_DOUBLE_EQ(back->value, dt->value);
    EXPECT_FALSE(fromTimestamp(Timestamp{2021, 2, 30, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace mig
