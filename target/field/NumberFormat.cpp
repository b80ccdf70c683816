#include "target/field/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace mig {
namespace {

// A magnitude as decimal digits: value = 0.d[0]d[1]... * 10^point, so `point` digits stand
// before the decimal separator (negative: zeros after it first). No leading zeros; count 0 is zero.
struct Digits {
    char d[360];
    int count = 0;
    int point = 0;
    bool negative = false;
};

// Keeps the first `keep` digits, rounding half away from zero; may carry into a new digit.
void roundTo(Digits& x, int keep) {
    if (keep >= x.count) return;
    if (keep < 0) {
        x.count = 0;
        return;
    }
    const bool up = x.d[keep] >= '5';
    x.count = keep;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && x.d[i] == '9') --i;
        if (i < 0) {
            x.d[0] = '1';
            x.count = 1;
            ++x.point;
        } else {
            ++x.d[i];
            x.count = i + 1;
        }
    }
    while (x.count > 0 && x.d[x.count - 1] == '0') --x.count;
    if (x.count == 0) x.point = 0;
}

// Whether |x| * 10^k lies exactly halfway between two integers. With |x| = m * 2^e, m odd:
// x * 10^k = m * 5^k * 2^(e+k), a half when e + k = -1 and (for k < 0) 5^-k divides m.
bool exactTie(double x, int k) {
    int e = 0;
    const double fraction = std::frexp(std::fabs(x), &e);
    if (fraction == 0) return false;
    auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    e -= 53;
    while ((m & 1) == 0) {
        m >>= 1;
        ++e;
    }
    if (e + k != -1) return false;
    if (k >= 0) return true;
    if (k < -22) return false;  // 5^23 exceeds every 53-bit m
    std::uint64_t p = 1;
    for (int i = 0; i < -k; ++i) p *= 5;
    return m % p == 0;
}

// The significant digits of a finite double rounded to `significant` digits, ties away from zero.
void digitsOf(double value, int significant, Digits& out) {
    out.negative = std::signbit(value);
    value = std::fabs(value);
    out.count = 0;
    out.point = 0;
    if (value == 0) return;
    char buf[48];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, significant - 1);
    auto exponentOf = [&](const char* end) {
        const char* e = buf;
        while (*e != 'e') ++e;
        int exponent = 0;
        std::from_chars(e[1] == '+' ? e + 2 : e + 1, end, exponent);
        return exponent;
    };
    // Correct rounding resolves exact ties to even; the digits of a tie are exact one place
    // further, and are rounded half up from there.
    bool tie = exactTie(value, significant - 1 - exponentOf(r.ptr));
    if (tie) r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, significant);
    // "d.ddde[+-]xx"
    const char* p = buf;
    out.d[out.count++] = *p++;
    if (*p == '.') ++p;
    while (*p != 'e') out.d[out.count++] = *p++;
    out.point = exponentOf(r.ptr) + 1;
    if (tie) roundTo(out, significant);
    while (out.count > 0 && out.d[out.count - 1] == '0') --out.count;
}

// The digits of a finite double rounded to `decimals` places, ties away from zero.
void fixedDigitsOf(double value, int decimals, Digits& out) {
    out.negative = std::signbit(value);
    value = std::fabs(value);
    out.count = 0;
    out.point = 0;
    const bool tie = exactTie(value, decimals);
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, tie ? decimals + 1 : decimals);
    const char* p = buf;
    for (; p < r.ptr && *p != '.'; ++p) {
        if (out.count == 0 && *p == '0') continue;
        out.d[out.count++] = *p;
        ++out.point;
    }
    if (p < r.ptr) ++p;
    for (; p < r.ptr; ++p) {
        if (out.count == 0 && *p == '0') {
            --out.point;
            continue;
        }
        out.d[out.count++] = *p;
    }
    if (out.count == 0) out.point = 0;
    if (tie) roundTo(out, out.point + decimals);
    while (out.count > 0 && out.d[out.count - 1] == '0') --out.count;
}

void digitsOf(const Decimal& value, Digits& out) {
    out.negative = value.unscaled < 0;
    std::uint64_t magnitude = value.unscaled < 0 ? 0 - static_cast<std::uint64_t>(value.unscaled)
                                                 : static_cast<std::uint64_t>(value.unscaled);
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, magnitude);
    out.count = 0;
    out.point = 0;
    if (magnitude == 0) return;
    for (const char* p = buf; p < r.ptr; ++p) out.d[out.count++] = *p;
    out.point = static_cast<int>(r.ptr - buf) - value.scale;
    while (out.count > 0 && out.d[out.count - 1] == '0') --out.count;
}

// Fixed notation with at least `minInt` integer digits and `minFrac`..`maxFrac` decimals.
std::string writeFixed(Digits& x, int minInt, int minFrac, int maxFrac, char separator) {
    roundTo(x, x.point + maxFrac);
    const int intDigits = std::max(x.point, 0);
    const int fracAvailable = std::max(x.count - x.point, 0);
    const int frac = std::max(std::min(fracAvailable, maxFrac), minFrac);
    std::string out;
    out.reserve(static_cast<std::size_t>(std::max(intDigits, minInt) + frac + 2));
    if (x.negative && x.count > 0) out.push_back('-');
    for (int i = intDigits; i < minInt; ++i) out.push_back('0');
    for (int i = 0; i < intDigits; ++i) out.push_back(i < x.count ? x.d[i] : '0');
    if (frac > 0) {
        out.push_back(separator);
        for (int k = 0; k < frac; ++k) {
            const int i = x.point + k;  // index of the digit at this decimal place
            out.push_back(i >= 0 && i < x.count ? x.d[i] : '0');
        }
    }
    return out;
}

struct Pattern {
    std::string_view prefix, suffix;
    int minInt = 0, minFrac = 0, maxFrac = 0;
    bool number = false;
};

constexpr int kMaxPatternDecimals = 40;

Pattern parsePattern(std::string_view pattern) {
    Pattern p;
    const std::size_t first = pattern.find_first_of("0#.");
    const std::size_t last = pattern.find_last_of("0#.");
    if (first == std::string_view::npos) {
        p.prefix = pattern;
        return p;
    }
    p.number = true;
    p.prefix = pattern.substr(0, first);
    p.suffix = pattern.substr(last + 1);
    bool afterPoint = false;
    for (std::size_t i = first; i <= last; ++i) {
        const char c = pattern[i];
        if (c == '.') {
            afterPoint = true;
        } else if (c == '0' && afterPoint) {
            p.maxFrac = std::min(p.maxFrac + 1, kMaxPatternDecimals);
            p.minFrac = p.maxFrac;
        } else if (c == '0') {
            ++p.minInt;
        } else if (c == '#' && afterPoint) {
            p.maxFrac = std::min(p.maxFrac + 1, kMaxPatternDecimals);
        }
    }
    return p;
}

std::string writePattern(const Pattern& p, Digits& x, char separator) {
    std::string out(p.prefix);
    if (p.number) out += writeFixed(x, p.minInt, p.minFrac, p.maxFrac, separator);
    out += p.suffix;
    return out;
}

}  // namespace

std::string formatGeneralFloat(double value, char decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    Digits x;
    digitsOf(value, 15, x);
    if (x.count == 0) return "0";
    const int exponent = x.point - 1;  // value = d.ddd * 10^exponent
    if (exponent < 15 && exponent >= -4)
        return writeFixed(x, 1, 0, std::max(x.count - x.point, 0), decimalSeparator);

    char buf[40];
    char* p = buf;
    if (x.negative) *p++ = '-';
    *p++ = x.d[0];
    if (x.count > 1) {
        *p++ = decimalSeparator;
        std::memcpy(p, x.d + 1, static_cast<std::size_t>(x.count - 1));
        p += x.count - 1;
    }
    *p++ = 'E';
    p = std::to_chars(p, buf + sizeof buf, exponent).ptr;
    return std::string(buf, p);
}

std::string formatInteger(std::int64_t value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

std::string formatDecimal(const Decimal& value, char decimalSeparator) {
    Digits x;
    digitsOf(value, x);
    if (x.count == 0) return "0";
    return writeFixed(x, 1, 0, std::max(x.count - x.point, 0), decimalSeparator);
}

std::string formatPattern000000(std::int64_t value) {
    char buf[24];
    char* p = buf;
    std::uint64_t magnitude = static_cast<std::uint64_t>(value);
    if (value < 0) {
        *p++ = '-';
        magnitude = 0 - magnitude;
    }
    char digits[24];
    const auto r = std::to_chars(digits, digits + sizeof digits, magnitude);
    const auto length = static_cast<int>(r.ptr - digits);
    for (int i = length; i < 6; ++i) *p++ = '0';
    std::memcpy(p, digits, static_cast<std::size_t>(length));
    p += length;
    return std::string(buf, p);
}

std::string formatNumberPattern(double value, std::string_view pattern, char decimalSeparator) {
    if (!std::isfinite(value)) return formatGeneralFloat(value, decimalSeparator);
    const Pattern p = parsePattern(pattern);
    Digits x;
    fixedDigitsOf(value, p.maxFrac, x);
    return writePattern(p, x, decimalSeparator);
}

std::string formatNumberPattern(const Decimal& value, std::string_view pattern, char decimalSeparator) {
    const Pattern p = parsePattern(pattern);
    Digits x;
    digitsOf(value, x);
    return writePattern(p, x, decimalSeparator);
}

}  // namespace mig
