#include "target/field/RegionalSettings.h"

#include <ctime>
#include <string_view>
#include <vector>

#include "target/field/Win1252.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#endif

namespace mig {
namespace {

RegionalSettings& current() {
    static RegionalSettings settings;
    return settings;
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Appends literal text of a system format so that the field layer's format reads it as
// written: the date separator becomes '/', letters and quotes are quoted.
void appendLiteral(std::string& out, std::string_view text, char dateSeparator) {
    std::string quoted;
    auto flush = [&] {
        if (!quoted.empty()) {
            out += '"';
            out += quoted;
            out += '"';
            quoted.clear();
        }
    };
    for (const char c : text) {
        if (dateSeparator && c == dateSeparator) {
            flush();
            out += '/';
        } else if (isAsciiLetter(c) || c == '/' || c == '\'' || static_cast<unsigned char>(c) >= 0x80) {
            if (c == '"') continue;
            quoted += c;
        } else if (c == '"') {
            continue;
        } else {
            flush();
            out += c;
        }
    }
    flush();
}

// The first character after the first field of a date format that can separate numbers.
char separatorOf(std::string_view literalRun) {
    for (const char c : literalRun) {
        const auto u = static_cast<unsigned char>(c);
        if (u > 0x20 && u < 0x7F && !isAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '"' && c != '\'')
            return c;
    }
    return 0;
}

// strftime conversions of a date format, expanded ("%D" is "%m/%d/%y") and split into
// fields and literal runs.
std::string expandPosix(std::string_view format) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        std::size_t j = i + 1;
        while (j < format.size() && (format[j] == '-' || format[j] == '_' || format[j] == '0' ||
                                     format[j] == '^' || format[j] == '#' || format[j] == 'E' || format[j] == 'O'))
            ++j;
        if (j >= format.size()) break;
        switch (format[j]) {
            case 'D': out += "%m/%d/%y"; break;
            case 'F': out += "%Y-%m-%d"; break;
            case 'T': out += "%H:%M:%S"; break;
            case 'R': out += "%H:%M"; break;
            case 'r': out += "%I:%M:%S %p"; break;
            default: out.append(format.substr(i, j - i + 1)); break;
        }
        i = j;
    }
    return out;
}

}  // namespace

const RegionalSettings& regional() { return current(); }

void setRegional(const RegionalSettings& settings) { current() = settings; }

int clockYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return local.tm_year + 1900;
}

RegionalSettings regionalSettingsFromPosix(std::string_view radix, std::string_view dateFormat,
                                           std::string_view timeFormat, int currentYear) {
    RegionalSettings rs;
    rs.currentYear = currentYear;

    const std::string sep = utf8ToWin1252(radix);
    if (sep.size() == 1 && sep[0] != '?') rs.decimalSeparator = sep[0];

    const std::string date = expandPosix(dateFormat);
    if (!date.empty()) {
        // The separator: the first usable character between the first two fields.
        char dateSep = 0;
        if (const auto first = date.find('%'); first != std::string::npos) {
            std::size_t j = first + 1;
            while (j < date.size() && !isAsciiLetter(date[j])) ++j;
            if (j < date.size() && (date[j] == 'E' || date[j] == 'O')) ++j;
            if (j < date.size()) {
                ++j;
                const auto next = date.find('%', j);
                dateSep = separatorOf(std::string_view(date).substr(j, next == std::string::npos ? next : next - j));
            }
        }
        std::string out;
        std::string literal;
        bool anyField = false;
        for (std::size_t i = 0; i < date.size(); ++i) {
            if (date[i] != '%') {
                literal += date[i];
                continue;
            }
            std::size_t j = i + 1;
            bool unpadded = false;
            while (j < date.size() && !isAsciiLetter(date[j])) unpadded |= date[j++] == '-';
            if (j < date.size() && (date[j] == 'E' || date[j] == 'O')) ++j;
            if (j >= date.size()) break;
            std::string_view field;
            switch (date[j]) {
                case 'd': field = unpadded ? "d" : "dd"; break;
                case 'e': field = "d"; break;
                case 'm': field = unpadded ? "m" : "mm"; break;
                case 'y': field = "yy"; break;
                case 'Y':
                case 'G': field = "yyyy"; break;
                default: break;  // names and other conversions are not written
            }
            if (!field.empty()) {
                appendLiteral(out, utf8ToWin1252(literal), dateSep);
                literal.clear();
                out += field;
                anyField = true;
            }
            i = j;
        }
        appendLiteral(out, utf8ToWin1252(literal), dateSep);
        if (anyField) {
            rs.shortDateFormat = out;
            if (dateSep) rs.dateSeparator = dateSep;
        }
    }

    const std::string time = expandPosix(timeFormat);
    if (!time.empty()) {
        std::string out;
        std::string literal;
        bool hour = false;
        for (std::size_t i = 0; i < time.size(); ++i) {
            if (time[i] != '%') {
                literal += time[i];
                continue;
            }
            std::size_t j = i + 1;
            bool unpadded = false;
            while (j < time.size() && !isAsciiLetter(time[j])) unpadded |= time[j++] == '-';
            if (j < time.size() && (time[j] == 'E' || time[j] == 'O')) ++j;
            if (j >= time.size()) break;
            std::string_view field;
            switch (time[j]) {
                case 'H':
                case 'I': field = unpadded ? "h" : "hh"; hour = true; break;
                case 'k':
                case 'l': field = "h"; hour = true; break;
                case 'M': field = "mm"; break;
                case 'S': field = "ss"; break;
                case 'p':
                case 'P': field = "AMPM"; break;
                default: break;
            }
            if (!field.empty()) {
                appendLiteral(out, utf8ToWin1252(literal), 0);
                literal.clear();
                out += field;
            }
            i = j;
        }
        appendLiteral(out, utf8ToWin1252(literal), 0);
        // A 12-hour format without the half of the day would write ambiguous times.
        const bool twelve = time.find("%I") != std::string::npos || time.find("%l") != std::string::npos;
        if (twelve && out.find("AMPM") == std::string::npos) out += " AMPM";
        if (hour) rs.longTimeFormat = out;
    }
    return rs;
}

namespace {

// One field or one literal run of a Windows picture: a run of one picture letter, or the text
// between fields with its quotes undone ('' is a quote).
struct PictureItem {
    char letter = 0;  // 0 for literal text
    std::size_t count = 0;
    std::string literal;
};

std::vector<PictureItem> splitPicture(std::string_view picture, std::string_view letters) {
    std::vector<PictureItem> items;
    auto literal = [&]() -> std::string& {
        if (items.empty() || items.back().letter != 0) items.emplace_back();
        return items.back().literal;
    };
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'') {
            std::size_t j = i + 1;
            std::string& text = literal();
            while (j < picture.size()) {
                if (picture[j] == '\'' && j + 1 < picture.size() && picture[j + 1] == '\'') {
                    text += '\'';
                    j += 2;
                } else if (picture[j] == '\'') {
                    break;
                } else {
                    text += picture[j++];
                }
            }
            i = j + 1;
        } else if (letters.find(c) != std::string_view::npos) {
            std::size_t n = 1;
            while (i + n < picture.size() && picture[i + n] == c) ++n;
            items.push_back({c, n, {}});
            i += n;
        } else {
            literal() += c;
            ++i;
        }
    }
    return items;
}

}  // namespace

RegionalSettings regionalSettingsFromWindows(std::string_view decimalSeparator, std::string_view dateSeparator,
                                             std::string_view shortDate, std::string_view timeFormat,
                                             int currentYear) {
    RegionalSettings rs;
    rs.currentYear = currentYear;
    if (decimalSeparator.size() == 1) rs.decimalSeparator = decimalSeparator[0];

    const std::vector<PictureItem> date = splitPicture(shortDate, "dMyg");
    // The separator: the one the locale names, else the first that follows the first field.
    char dateSep = dateSeparator.size() == 1 ? dateSeparator[0] : 0;
    if (!dateSep) {
        for (std::size_t i = 0; i + 1 < date.size(); ++i) {
            if (date[i].letter && !date[i + 1].letter) {
                dateSep = separatorOf(date[i + 1].literal);
                break;
            }
        }
    }
    std::string out;
    bool anyField = false;
    for (const PictureItem& item : date) {
        std::string_view field;
        switch (item.letter) {
            case 0: appendLiteral(out, item.literal, dateSep); break;
            case 'd': field = item.count == 1 ? "d" : item.count == 2 ? "dd" : ""; break;  // no day names
            case 'M': field = item.count == 1 ? "m" : "mm"; break;  // month names as numbers
            case 'y': field = item.count <= 2 ? "yy" : "yyyy"; break;
            default: break;  // the era is not written for the Gregorian calendar
        }
        if (!field.empty()) {
            out += field;
            anyField = true;
        }
    }
    if (anyField) {
        rs.shortDateFormat = out;
        if (dateSep) rs.dateSeparator = dateSep;
    }

    const std::vector<PictureItem> time = splitPicture(timeFormat, "hHmst");
    bool twelve = false, hour = false, halfDay = false;
    for (const PictureItem& item : time) {
        twelve |= item.letter == 'h';
        hour |= item.letter == 'h' || item.letter == 'H';
        halfDay |= item.letter == 't';
    }
    if (hour) {
        out.clear();
        for (const PictureItem& item : time) {
            switch (item.letter) {
                case 0: appendLiteral(out, item.literal, 0); break;
                case 'h':
                case 'H': out += item.count == 1 ? "h" : "hh"; break;
                case 'm': out += item.count == 1 ? "m" : "mm"; break;
                case 's': out += item.count == 1 ? "s" : "ss"; break;
                case 't':
                    if (twelve) out += "AMPM";  // a 24-hour picture keeps no half of the day
                    break;
                default: break;
            }
        }
        // A 12-hour picture without the half of the day would write ambiguous times.
        if (twelve && !halfDay) out += " AMPM";
        rs.longTimeFormat = out;
    }
    return rs;
}

#ifdef _WIN32

namespace {

std::string localeText(const wchar_t* localeName, LCTYPE type) {
    wchar_t buf[128];
    const int n = GetLocaleInfoEx(localeName, type, buf, 128);
    std::string out;
    for (int i = 0; i + 1 < n; ++i) out += unicodeToWin1252(static_cast<char32_t>(buf[i]));
    return out;
}

}  // namespace

RegionalSettings regionalSettingsOfWindowsLocale(const wchar_t* localeName, int currentYear) {
    std::string timeFormat = localeText(localeName, LOCALE_STIMEFORMAT);
    if (timeFormat.empty()) timeFormat = localeText(localeName, LOCALE_ITLZERO) == "1" ? "HH:mm:ss" : "H:mm:ss";
    return regionalSettingsFromWindows(localeText(localeName, LOCALE_SDECIMAL), localeText(localeName, LOCALE_SDATE),
                                       localeText(localeName, LOCALE_SSHORTDATE), timeFormat, currentYear);
}

RegionalSettings systemRegionalSettings() {
    return regionalSettingsOfWindowsLocale(LOCALE_NAME_USER_DEFAULT, clockYear());
}

#else

namespace {

// The locale name the environment gives a category (LC_ALL, then the category, then LANG).
std::string environmentLocale(const char* category) {
    for (const char* name : {"LC_ALL", category, "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value;
    }
    return "C";
}

bool isPlainC(const std::string& name) {
    return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

}  // namespace

RegionalSettings regionalSettingsOfLocale(const std::string& numericLocale, const std::string& timeLocale,
                                          int currentYear) {
    std::string radix, dateFormat, timeFormat;
    if (!isPlainC(numericLocale)) {
        if (locale_t loc = newlocale(LC_NUMERIC_MASK, numericLocale.c_str(), static_cast<locale_t>(nullptr))) {
            radix = nl_langinfo_l(RADIXCHAR, loc);
            freelocale(loc);
        }
    }
    if (!isPlainC(timeLocale)) {
        if (locale_t loc = newlocale(LC_TIME_MASK, timeLocale.c_str(), static_cast<locale_t>(nullptr))) {
            dateFormat = nl_langinfo_l(D_FMT, loc);
            timeFormat = nl_langinfo_l(T_FMT, loc);
            freelocale(loc);
        }
    }
    return regionalSettingsFromPosix(radix, dateFormat, timeFormat, currentYear);
}

RegionalSettings systemRegionalSettings() {
    return regionalSettingsOfLocale(environmentLocale("LC_NUMERIC"), environmentLocale("LC_TIME"), clockYear());
}

#endif

void loadSystemRegionalSettings() { setRegional(systemRegionalSettings()); }

}  // namespace mig
