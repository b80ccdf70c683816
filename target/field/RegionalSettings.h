#pragma once
// The operator's regional settings that the text conversions read. Read from the
// operating system at start and when it announces a change; never set by the program.
#include <string>
#include <string_view>

namespace mig {

struct RegionalSettings {
    char decimalSeparator = '.';
    char dateSeparator = '/';
    std::string shortDateFormat = "m/d/yy";
    std::string longTimeFormat = "h:mm:ss";
    int currentYear = 2026;  // the year a date without one falls in; base of the 50-year window
    bool operator==(const RegionalSettings&) const = default;
};

// The settings in force for the fields of this process.
const RegionalSettings& regional();
void setRegional(const RegionalSettings& settings);

// Settings of the process locale (LC_NUMERIC, LC_TIME; on Windows the user's regional
// settings from GetLocaleInfoEx), with the defaults above where the system gives none, and this
// year.
RegionalSettings systemRegionalSettings();

// Reads the system's settings into regional(): at start and when the system announces a
// change of them (the window's locale-change event).
void loadSystemRegionalSettings();

// The year of the system clock (local time).
int clockYear();

// Settings from the C library's locale data: the radix character (LC_NUMERIC), the date
// format D_FMT and the time format T_FMT (LC_TIME) in strftime notation. An empty text leaves
// that setting at its default; the date separator is the first separating character of D_FMT.
RegionalSettings regionalSettingsFromPosix(std::string_view radix, std::string_view dateFormat,
                                           std::string_view timeFormat, int currentYear);
// Settings from what Windows gives a locale (GetLocaleInfoEx, as WIN1252 text): the decimal
// separator (LOCALE_SDECIMAL), the date separator (LOCALE_SDATE), the short date picture
// (LOCALE_SSHORTDATE, "dd/MM/yyyy") and the time picture (LOCALE_STIMEFORMAT, "HH:mm:ss"). An
// empty or unusable text leaves that setting at its default; a date separator of more than one
// character is taken from the picture instead.
RegionalSettings regionalSettingsFromWindows(std::string_view decimalSeparator, std::string_view dateSeparator,
                                             std::string_view shortDate, std::string_view timeFormat,
                                             int currentYear);
#ifdef _WIN32
// Settings of the named Windows locale (L"pt-BR"); LOCALE_NAME_USER_DEFAULT names the user's,
// with the changes the user made to it in the regional settings.
RegionalSettings regionalSettingsOfWindowsLocale(const wchar_t* localeName, int currentYear);
#else
// Settings of the named locales ("pt_BR.UTF-8"); "C", "POSIX", a "C." locale, or one the system
// lacks gives the defaults.
RegionalSettings regionalSettingsOfLocale(const std::string& numericLocale, const std::string& timeLocale,
                                          int currentYear);
#endif

// Replaces the settings for one scope (tests), restoring the previous ones after.
class ScopedRegional {
public:
    explicit ScopedRegional(const RegionalSettings& settings) : saved_(regional()) { setRegional(settings); }
    ~ScopedRegional() { setRegional(saved_); }
    ScopedRegional(const ScopedRegional&) = delete;
    ScopedRegional& operator=(const ScopedRegional&) = delete;

private:
    RegionalSettings saved_;
};

}  // namespace mig
