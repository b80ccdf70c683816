// Regional settings from the C library's locale data, and the settings in force.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "target/field/RegionalSettings.h"
#include "target/field/Win1252.h"
#include "tests/support/ScopedEnv.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace mig {
namespace {

struct PosixRow {
    const char* radix;
    const char* dateFormat;
    const char* timeFormat;
    char decimalSeparator;
    char dateSeparator;
    const char* shortDateFormat;
    const char* longTimeFormat;
};

TEST(RegionalSettingsFromPosix, Table) {
    const PosixRow rows[] = {
        // What glibc gives pt_BR, de_DE and en_US.
        {",", "%d/%m/%Y", "%T", ',', '/', "dd/mm/yyyy", "hh:mm:ss"},
        {",", "%d.%m.%Y", "%T", ',', '.', "dd/mm/yyyy", "hh:mm:ss"},
        {".", "%m/%d/%Y", "%r", '.', '/', "mm/dd/yyyy", "hh:mm:ss AMPM"},
        // Other shapes of the formats.
        {".", "%Y-%m-%d", "%H:%M:%S", '.', '-', "yyyy/mm/dd", "hh:mm:ss"},
        {".", "%F", "%R", '.', '-', "yyyy/mm/dd", "hh:mm"},
        {".", "%D", "%k:%M:%S", '.', '/', "mm/dd/yy", "h:mm:ss"},
        {".", "%e/%-m/%y", "%-H:%M:%S", '.', '/', "d/m/yy", "h:mm:ss"},
        {".", "%Y. %m. %d.", "%p %I:%M:%S", '.', '.', "yyyy/ mm/ dd/", "AMPM hh:mm:ss"},
        {".", "%d/%m/%Y às", "%T", '.', '/', "dd/mm/yyyy \"\xE0s\"", "hh:mm:ss"},  // literal letters quoted
        {".", "%I:%M", "%l:%M", '.', '/', "m/d/yy", "h:mm AMPM"},  // no date fields: default
        // Nothing given: the defaults.
        {"", "", "", '.', '/', "m/d/yy", "h:mm:ss"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("D_FMT '") + row.dateFormat + "' T_FMT '" + row.timeFormat + "'");
        const RegionalSettings s = regionalSettingsFromPosix(row.radix, row.dateFormat, row.timeFormat, 2031);
        EXPECT_EQ(s.decimalSeparator, row.decimalSeparator);
        EXPECT_EQ(s.dateSeparator, row.dateSeparator);
        EXPECT_EQ(s.shortDateFormat, row.shortDateFormat);
        EXPECT_EQ(s.longTimeFormat, row.longTimeFormat);
        EXPECT_EQ(s.currentYear, 2031);
    }
}

TEST(RegionalSettingsFromPosix, ASingleByteRadixOutsideAsciiIsKept) {
    // U+066B ARABIC DECIMAL SEPARATOR has no WIN1252 byte: the default stays.
    EXPECT_EQ(regionalSettingsFromPosix("\xD9\xAB", "", "", 2026).decimalSeparator, '.');
    EXPECT_EQ(regionalSettingsFromPosix(",", "", "", 2026).decimalSeparator, ',');
}

struct WindowsRow {
    const char* decimal;
    const char* dateSeparator;
    const char* shortDate;
    const char* timeFormat;
    char decimalSeparator;
    char expectedDateSeparator;
    const char* shortDateFormat;
    const char* longTimeFormat;
};

TEST(RegionalSettingsFromWindows, Table) {
    const WindowsRow rows[] = {
        // What Windows gives pt-BR, en-US, de-DE and ko-KR.
        {",", "/", "dd/MM/yyyy", "HH:mm:ss", ',', '/', "dd/mm/yyyy", "hh:mm:ss"},
        {".", "/", "M/d/yyyy", "h:mm:ss tt", '.', '/', "m/d/yyyy", "h:mm:ss AMPM"},
        {",", ".", "dd.MM.yyyy", "HH:mm:ss", ',', '.', "dd/mm/yyyy", "hh:mm:ss"},
        {".", "-", "yyyy-MM-dd", "tt h:mm:ss", '.', '-', "yyyy/mm/dd", "AMPM h:mm:ss"},
        // Other shapes of the pictures.
        {".", "/", "d/M/yy", "H:mm", '.', '/', "d/m/yy", "h:mm"},
        {".", "/", "M/d/yyyy", "hh:mm:ss", '.', '/', "m/d/yyyy", "hh:mm:ss AMPM"},  // 12 hours, no tt
        {".", ". ", "yyyy. MM. dd.", "H:mm:ss", '.', '.', "yyyy/ mm/ dd/", "h:mm:ss"},  // separator from the picture
        {",", "/", "'Dia' dd/MM/yyyy", "HH'h'mm", ',', '/', "\"Dia\" dd/mm/yyyy", "hh\"h\"mm"},  // quoted text
        {",", "/", "dd/MMM/yyyy", "HH:mm:ss", ',', '/', "dd/mm/yyyy", "hh:mm:ss"},  // month names as numbers
        {"\xB7", "/", "dd/MM/yyyy", "HH:mm:ss", '\xB7', '/', "dd/mm/yyyy", "hh:mm:ss"},  // WIN1252 middle dot
        // Nothing given: the defaults.
        {"", "", "", "", '.', '/', "m/d/yy", "h:mm:ss"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("short date '") + row.shortDate + "' time '" + row.timeFormat + "'");
        const RegionalSettings s =
            regionalSettingsFromWindows(row.decimal, row.dateSeparator, row.shortDate, row.timeFormat, 2031);
        EXPECT_EQ(s.decimalSeparator, row.decimalSeparator);
        EXPECT_EQ(s.dateSeparator, row.expectedDateSeparator);
        EXPECT_EQ(s.shortDateFormat, row.shortDateFormat);
        EXPECT_EQ(s.longTimeFormat, row.longTimeFormat);
        EXPECT_EQ(s.currentYear, 2031);
    }
}

#ifndef _WIN32

RegionalSettings defaultsOf(int year) {
    RegionalSettings s;
    s.currentYear = year;
    return s;
}

TEST(RegionalSettingsOfLocale, TheCLocaleGivesTheDefaults) {
    EXPECT_EQ(regionalSettingsOfLocale("C", "C", 2030), defaultsOf(2030));
    EXPECT_EQ(regionalSettingsOfLocale("POSIX", "C.UTF-8", 2030), defaultsOf(2030));
    EXPECT_EQ(regionalSettingsOfLocale("xx_NOWHERE.UTF-8", "xx_NOWHERE.UTF-8", 2030), defaultsOf(2030));
}

TEST(RegionalSettingsOfLocale, BrazilianPortugueseGivesTheCommaAndDayMonthYear) {
    const RegionalSettings s = regionalSettingsOfLocale("pt_BR.UTF-8", "pt_BR.UTF-8", 2026);
    if (s == defaultsOf(2026)) GTEST_SKIP() << "the pt_BR.UTF-8 locale is not installed";
    EXPECT_EQ(s.decimalSeparator, ',');
    EXPECT_EQ(s.dateSeparator, '/');
    EXPECT_EQ(s.shortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(s.longTimeFormat, "hh:mm:ss");
    // The categories are read apart.
    EXPECT_EQ(regionalSettingsOfLocale("C", "pt_BR.UTF-8", 2026).decimalSeparator, '.');
    EXPECT_EQ(regionalSettingsOfLocale("pt_BR.UTF-8", "C", 2026).shortDateFormat, "m/d/yy");
}

using test::ScopedEnv;

TEST(SystemRegionalSettings, FollowTheEnvironmentsLocaleAndTheClock) {
    ScopedEnv all("LC_ALL", "C");
    EXPECT_EQ(systemRegionalSettings(), defaultsOf(clockYear()));
    EXPECT_GE(clockYear(), 2024);
    ScopedEnv brazil("LC_ALL", "pt_BR.UTF-8");
    const RegionalSettings s = systemRegionalSettings();
    if (s == defaultsOf(clockYear())) GTEST_SKIP() << "the pt_BR.UTF-8 locale is not installed";
    EXPECT_EQ(s.decimalSeparator, ',');
    EXPECT_EQ(s.shortDateFormat, "dd/mm/yyyy");
}

#endif

#ifdef _WIN32

// What GetLocaleInfoEx gives the two locales of the operators' machines.
RegionalSettings brazilian(int year) { return regionalSettingsFromWindows(",", "/", "dd/MM/yyyy", "HH:mm:ss", year); }
RegionalSettings american(int year) { return regionalSettingsFromWindows(".", "/", "M/d/yyyy", "h:mm:ss tt", year); }

TEST(RegionalSettingsOfWindowsLocale, BrazilianAndUsLocales) {
    const RegionalSettings br = regionalSettingsOfWindowsLocale(L"pt-BR", 2026);
    EXPECT_EQ(br.decimalSeparator, ',');
    EXPECT_EQ(br.dateSeparator, '/');
    EXPECT_EQ(br.shortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(br.longTimeFormat, "hh:mm:ss");
    const RegionalSettings us = regionalSettingsOfWindowsLocale(L"en-US", 2026);
    EXPECT_EQ(us.decimalSeparator, '.');
    EXPECT_EQ(us.dateSeparator, '/');
    EXPECT_EQ(us.shortDateFormat, "m/d/yyyy");
    EXPECT_EQ(us.longTimeFormat, "h:mm:ss AMPM");
}

std::string userLocaleName() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    const int n = GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    std::string out;
    for (int i = 0; i + 1 < n; ++i) out += static_cast<char>(name[i]);
    return out;
}

// The tests run under a Brazilian and a US user (under Wine the user's locale follows LANG, and
// MIG_USER_LOCALE names the one expected).
TEST(SystemRegionalSettings, AreThoseOfTheUsersLocale) {
    const std::string user = userLocaleName();
    if (const char* expected = std::getenv("MIG_USER_LOCALE")) {
        EXPECT_EQ(user, expected);
    }
    const RegionalSettings s = systemRegionalSettings();
    EXPECT_EQ(s.currentYear, clockYear());
    if (user == "pt-BR") {
        EXPECT_EQ(s, brazilian(clockYear()));
    } else if (user == "en-US") {
        EXPECT_EQ(s, american(clockYear()));
    } else {
        EXPECT_EQ(s, regionalSettingsOfWindowsLocale(LOCALE_NAME_USER_DEFAULT, clockYear())) << user;
    }
}

#endif

TEST(Regional, ScopedSettingsAreRestoredAndTheSystemsAreReadAgain) {
    const RegionalSettings before = regional();
    RegionalSettings s;
    s.decimalSeparator = ';';  // no system's
    {
        ScopedRegional scope(s);
        EXPECT_EQ(regional().decimalSeparator, ';');
        loadSystemRegionalSettings();
        EXPECT_EQ(regional(), systemRegionalSettings());
    }
    EXPECT_EQ(regional(), before);
}

}  // namespace
}  // namespace mig
