#pragma once
// The operator's regional settings that the text conversions read. Read from the
// operating system at start and when it announces a change; never set by the program.
#include <string>

namespace mig {

struct RegionalSettings {
    char decimalSeparator = '.';
    char dateSeparator = '/';
    std::string shortDateFormat = "m/d/yy";
    std::string longTimeFormat = "h:mm:ss";
    int currentYear = 2026;  // the year a date without one falls in; base of the 50-year window
};

// The settings in force for the fields of this process.
const RegionalSettings& regional();
void setRegional(const RegionalSettings& settings);

// Settings of the process locale (LC_NUMERIC, LC_TIME; on Windows the user's regional
// settings), with the defaults above where the system gives none, and this year.
RegionalSettings systemRegionalSettings();

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
