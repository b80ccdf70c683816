// Regional settings from the C library's locale data, and the settings in force.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "target/field/RegionalSettings.h"
#include "target/field/Win1252.h"

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

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        ::setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (saved_)
            ::setenv(name_, saved_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

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

TEST(Regional, ScopedSettingsAreRestored) {
    const RegionalSettings before = regional();
    RegionalSettings s;
    s.decimalSeparator = ',';
    {
        ScopedRegional scope(s);
        EXPECT_EQ(regional().decimalSeparator, ',');
        ScopedEnv all("LC_ALL", "C");
        loadSystemRegionalSettings();
        EXPECT_EQ(regional(), defaultsOf(clockYear()));
    }
    EXPECT_EQ(regional(), before);
}

}  // namespace
}  // namespace mig
