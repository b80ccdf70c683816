#include "target/field/DateSyntax.h"

#include <charconv>

#include "target/field/Calendar.h"
#include "target/field/NumberFormat.h"

namespace mig {
namespace {

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Reading position over the text, with the scanning steps of the date and time syntaxes.
struct Scanner {
    std::string_view s;
    std::size_t pos = 0;

    void skipBlanks() {
        while (pos < s.size() && s[pos] == ' ') ++pos;
    }
    bool atEnd() const { return pos >= s.size(); }

    // Digits while the number so far is below 1000; at least one.
    bool number(int& value, int& digits) {
        skipBlanks();
        const std::size_t start = pos;
        value = 0;
        while (pos < s.size() && isDigit(s[pos]) && value < 1000) {
            value = value * 10 + (s[pos] - '0');
            ++pos;
        }
        digits = static_cast<int>(pos - start);
        return digits > 0;
    }

    // Blanks, then the character. A blank separator is matched by the blanks themselves.
    bool character(char c) {
        const std::size_t start = pos;
        skipBlanks();
        if (c == ' ') return pos > start;
        if (pos < s.size() && s[pos] == c) {
            ++pos;
            return true;
        }
        pos = start;
        return false;
    }

    // Blanks, then the word in either case.
    bool word(std::string_view w) {
        const std::size_t start = pos;
        skipBlanks();
        if (s.size() - pos >= w.size()) {
            bool same = true;
            for (std::size_t i = 0; i < w.size() && same; ++i) same = lower(s[pos + i]) == lower(w[i]);
            if (same) {
                pos += w.size();
                return true;
            }
        }
        pos = start;
        return false;
    }
};

int windowedYear(int year, int currentYear) {
    const int base = currentYear - 50;
    year += base / 100 * 100;
    if (year < base) year += 100;
    return year;
}

bool scanDate(Scanner& sc, const RegionalSettings& rs, Date& out) {
    const char sep = rs.dateSeparator;
    const DateOrder order = dateOrder(rs.shortDateFormat);
    int n1, n2, n3 = 0, l1, l2, l3 = 0;
    if (!(sc.number(n1, l1) && sc.character(sep) && sc.number(n2, l2))) return false;
    // A separator after two numbers without a third one is the trailing separator.
    const std::size_t afterTwo = sc.pos;
    const bool three = sc.character(sep) && sc.number(n3, l3);
    if (!three) sc.pos = afterTwo;
    int y, m, d;
    if (three) {
        int yearDigits;
        switch (order) {
            case DateOrder::DayMonthYear: d = n1; m = n2; y = n3; yearDigits = l3; break;
            case DateOrder::MonthDayYear: m = n1; d = n2; y = n3; yearDigits = l3; break;
            default: y = n1; m = n2; d = n3; yearDigits = l1; break;
        }
        if (yearDigits <= 2) y = windowedYear(y, rs.currentYear);
    } else {
        y = rs.currentYear;
        if (order == DateOrder::DayMonthYear) {
            d = n1;
            m = n2;
        } else {
            m = n1;
            d = n2;
        }
    }
    const auto date = makeDate(y, m, d);
    if (!date) return false;
    sc.character(sep);
    sc.skipBlanks();
    out = *date;
    return true;
}

bool scanTime(Scanner& sc, const RegionalSettings& rs, Time& out) {
    int hour, minute, second = 0, ms = 0, digits;
    if (!(sc.number(hour, digits) && sc.character(':') && sc.number(minute, digits))) return false;
    if (sc.character(':')) {
        if (!sc.number(second, digits)) return false;
        if (sc.pos < sc.s.size() && sc.s[sc.pos] == rs.decimalSeparator) {
            ++sc.pos;
            int places = 0;
            while (sc.pos < sc.s.size() && isDigit(sc.s[sc.pos]) && places < 3) {
                ms = ms * 10 + (sc.s[sc.pos++] - '0');
                ++places;
            }
            if (places == 0 || (sc.pos < sc.s.size() && isDigit(sc.s[sc.pos]))) return false;
            for (; places < 3; ++places) ms *= 10;
        }
    }
    const bool am = sc.word("AM");
    const bool pm = !am && sc.word("PM");
    if (am || pm) {
        if (hour > 12) return false;
        if (hour == 12) hour = 0;
        if (pm) hour += 12;
    }
    sc.skipBlanks();
    const auto time = makeTime(hour, minute, second, ms);
    if (!time) return false;
    out = *time;
    return true;
}

void appendNumber(std::string& out, long long value, int width) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value < 0 ? -value : value);
    if (value < 0) out.push_back('-');
    for (auto len = r.ptr - buf; len < width; ++len) out.push_back('0');
    out.append(buf, r.ptr);
}

std::size_t runLength(std::string_view f, std::size_t i) {
    std::size_t n = 1;
    while (i + n < f.size() && lower(f[i + n]) == lower(f[i])) ++n;
    return n;
}

bool startsWithWord(std::string_view f, std::size_t i, std::string_view w) {
    if (f.size() - i < w.size()) return false;
    for (std::size_t k = 0; k < w.size(); ++k)
        if (lower(f[i + k]) != lower(w[k])) return false;
    return true;
}

bool hasHalfDay(std::string_view f) {
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] == '"' || f[i] == '\'') {
            const auto close = f.find(f[i], i + 1);
            if (close == std::string_view::npos) return false;
            i = close;
        } else if (startsWithWord(f, i, "ampm") || startsWithWord(f, i, "am/pm") || startsWithWord(f, i, "a/p")) {
            return true;
        }
    }
    return false;
}

// Writes a date and/or a time by a format; `date` or `time` may be absent.
void appendFormatted(std::string& out, std::string_view f, const CivilDate* date, const Time* time,
                     char dateSeparator) {
    const int ms = time ? time->ms : 0;
    const int hour = ms / 3'600'000, minute = ms / 60'000 % 60, second = ms / 1000 % 60, milli = ms % 1000;
    const bool twelve = time && hasHalfDay(f);
    bool afterHour = false;
    for (std::size_t i = 0; i < f.size();) {
        const char c = f[i];
        const char l = lower(c);
        if (c == '"' || c == '\'') {
            const auto close = f.find(c, i + 1);
            const auto end = close == std::string_view::npos ? f.size() : close;
            out.append(f.substr(i + 1, end - i - 1));
            i = end == f.size() ? end : end + 1;
            continue;
        }
        if (c == '/') {
            out.push_back(dateSeparator);
            ++i;
            continue;
        }
        if (time && (startsWithWord(f, i, "am/pm") || startsWithWord(f, i, "a/p") || startsWithWord(f, i, "ampm"))) {
            const bool pm = hour >= 12;
            if (startsWithWord(f, i, "ampm")) {
                out.append(pm ? "PM" : "AM");
                i += 4;
            } else {
                const bool full = startsWithWord(f, i, "am/pm");
                const char first = pm ? f[i + (full ? 3 : 2)] : c;  // 'a'/'p' as written
                out.push_back(first);
                if (full) out.push_back(f[i + 1]);  // 'm' as written
                i += full ? 5 : 3;
            }
            continue;
        }
        const std::size_t n = runLength(f, i);
        if (l == 'd' && date) {
            appendNumber(out, date->day, n >= 2 ? 2 : 0);
        } else if (l == 'm' && time && (afterHour || !date)) {
            appendNumber(out, minute, n >= 2 ? 2 : 0);
        } else if (l == 'n' && time) {
            appendNumber(out, minute, n >= 2 ? 2 : 0);
        } else if (l == 'm' && date) {
            appendNumber(out, date->month, n >= 2 ? 2 : 0);
        } else if (l == 'y' && date) {
            if (n <= 2)
                appendNumber(out, ((date->year % 100) + 100) % 100, 2);
            else
                appendNumber(out, date->year, 4);
        } else if (l == 'e' && date) {
            appendNumber(out, date->year, n >= 2 ? 2 : 0);
        } else if (l == 'h' && time) {
            int h = hour;
            if (twelve) {
                h %= 12;
                if (h == 0) h = 12;
            }
            appendNumber(out, h, n >= 2 ? 2 : 0);
            afterHour = true;
            i += n;
            continue;
        } else if (l == 's' && time) {
            appendNumber(out, second, n >= 2 ? 2 : 0);
        } else if (l == 'z' && time) {
            appendNumber(out, milli, n >= 3 ? 3 : 0);
        } else {
            out.append(f.substr(i, n));
        }
        if (l != ':' && l != ' ') afterHour = false;
        i += n;
    }
}

}  // namespace

DateOrder dateOrder(std::string_view format) {
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c == '"' || c == '\'') {
            const auto close = format.find(c, i + 1);
            if (close == std::string_view::npos) break;
            i = close;
            continue;
        }
        switch (lower(c)) {
            case 'd': return DateOrder::DayMonthYear;
            case 'm': return DateOrder::MonthDayYear;
            case 'y':
            case 'e': return DateOrder::YearMonthDay;
            default: break;
        }
    }
    return DateOrder::MonthDayYear;
}

std::optional<Date> parseDate(std::string_view text, const RegionalSettings& settings) {
    Scanner sc{text};
    Date date;
    if (!scanDate(sc, settings, date) || !sc.atEnd()) return std::nullopt;
    return date;
}

std::optional<Time> parseTime(std::string_view text, const RegionalSettings& settings) {
    Scanner sc{text};
    Time time;
    if (!scanTime(sc, settings, time) || !sc.atEnd()) return std::nullopt;
    return time;
}

std::optional<DateTime> parseDateTime(std::string_view text, const RegionalSettings& settings) {
    Scanner sc{text};
    Date date;
    if (scanDate(sc, settings, date)) {
        Time time;
        if (sc.atEnd()) return DateTime{toDateTimeNumber(date, Time{})};
        if (scanTime(sc, settings, time) && sc.atEnd()) return DateTime{toDateTimeNumber(date, time)};
    }
    if (const auto time = parseTime(text, settings)) return DateTime{toDateTimeNumber(Date{}, *time)};
    return std::nullopt;
}

std::string formatDate(Date date, const RegionalSettings& settings) {
    const CivilDate civil = civilDate(date);
    std::string out;
    out.reserve(12);
    appendFormatted(out, settings.shortDateFormat, &civil, nullptr, settings.dateSeparator);
    return out;
}

std::string formatTime(Time time, const RegionalSettings& settings) {
    std::string out;
    out.reserve(12);
    appendFormatted(out, settings.longTimeFormat, nullptr, &time, settings.dateSeparator);
    return out;
}

std::string formatDateTime(DateTime value, const RegionalSettings& settings) {
    const auto parts = splitDateTime(value.value);
    if (!parts) return formatGeneralFloat(value.value, settings);
    const CivilDate civil = civilDate(parts->date);
    std::string out;
    out.reserve(24);
    appendFormatted(out, settings.shortDateFormat, &civil, nullptr, settings.dateSeparator);
    if (parts->time.ms != 0) {
        out.push_back(' ');
        appendFormatted(out, settings.longTimeFormat, nullptr, &parts->time, settings.dateSeparator);
    }
    return out;
}

std::optional<Timestamp> toTimestamp(DateTime value) {
    const auto parts = splitDateTime(value.value);
    if (!parts) return std::nullopt;
    const CivilDate civil = civilDate(parts->date);
    const int ms = parts->time.ms;
    Timestamp ts;
    ts.year = static_cast<std::int16_t>(civil.year);
    ts.month = static_cast<std::uint8_t>(civil.month);
    ts.day = static_cast<std::uint8_t>(civil.day);
    ts.hour = static_cast<std::uint8_t>(ms / 3'600'000);
    ts.minute = static_cast<std::uint8_t>(ms / 60'000 % 60);
    ts.second = static_cast<std::uint8_t>(ms / 1000 % 60);
    ts.fraction = static_cast<std::uint32_t>(ms % 1000) * 10;
    return ts;
}

std::optional<DateTime> fromTimestamp(const Timestamp& value) {
    const auto date = makeDate(value.year, value.month, value.day);
    const auto time = value.fraction < 10'000
                          ? makeTime(value.hour, value.minute, value.second, static_cast<int>(value.fraction / 10))
                          : std::nullopt;
    if (!date || !time) return std::nullopt;
    return DateTime{toDateTimeNumber(*date, *time)};
}

std::string formatTimestamp(const Timestamp& value, const RegionalSettings& settings) {
    const auto date = makeDate(value.year, value.month, value.day);
    const auto time = value.fraction < 10'000
                          ? makeTime(value.hour, value.minute, value.second, static_cast<int>(value.fraction / 10))
                          : std::nullopt;
    if (!date || !time) return {};
    const CivilDate civil{value.year, value.month, value.day};
    std::string out;
    out.reserve(24);
    appendFormatted(out, settings.shortDateFormat, &civil, nullptr, settings.dateSeparator);
    if (time->ms != 0 || value.fraction != 0) {
        out.push_back(' ');
        appendFormatted(out, settings.longTimeFormat, nullptr, &*time, settings.dateSeparator);
    }
    return out;
}

}  // namespace mig
