#include "target/field/NumberSyntax.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace mig {
namespace {

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A correctly rounded double needs at most 768 significant decimal digits; the digits beyond
// are folded into one "sticky" digit that still decides a tie.
constexpr int kMaxFloatDigits = 780;
constexpr std::int64_t kExponentLimit = 1'000'000'000;

}  // namespace

std::optional<std::int32_t> parseInteger(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == n) return std::nullopt;

    if (hex) {
        std::uint32_t value = 0;
        int significant = 0;
        for (; i < n; ++i) {
            const int d = hexValue(text[i]);
            if (d < 0) return std::nullopt;
            if (significant == 0 && d == 0) continue;
            if (++significant > 8) return std::nullopt;
            value = (value << 4) | static_cast<std::uint32_t>(d);
        }
        // The 32 bits are a signed value; a minus sign negates it modulo 2^32.
        return static_cast<std::int32_t>(negative ? 0u - value : value);
    }

    std::uint64_t value = 0;
    for (; i < n; ++i) {
        if (!isDigit(text[i])) return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > 2147483648u) return std::nullopt;
    }
    if (negative) return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    if (value > 2147483647u) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<double> parseFloat(std::string_view text, char decimalSeparator) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }

    // The significant digits go to buf; value = digits * 10^exponent.
    char buf[kMaxFloatDigits + 32];
    int count = 0;
    bool sticky = false;
    std::int64_t exponent = 0;
    bool taken = false;
    for (; i < n && isDigit(text[i]); ++i) {
        taken = true;
        const char c = text[i];
        if (count == 0 && c == '0') continue;
        if (count < kMaxFloatDigits) {
            buf[count++] = c;
        } else {
            ++exponent;
            sticky |= c != '0';
        }
    }
    if (i < n && text[i] == decimalSeparator) {
        taken = true;
        for (++i; i < n && isDigit(text[i]); ++i) {
            const char c = text[i];
            if (count == 0 && c == '0') {
                --exponent;
            } else if (count < kMaxFloatDigits) {
                buf[count++] = c;
                --exponent;
            } else {
                sticky |= c != '0';
            }
        }
    }
    if (!taken) return std::nullopt;

    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        if (i == n || !isDigit(text[i])) return std::nullopt;
        std::int64_t e = 0;
        for (; i < n && isDigit(text[i]); ++i) {
            if (e < kExponentLimit) e = e * 10 + (text[i] - '0');
        }
        exponent += negativeExponent ? -e : e;
    }
    while (i < n && text[i] == ' ') ++i;
    if (i != n) return std::nullopt;

    if (count == 0) return negative ? -0.0 : 0.0;
    if (sticky) {
        buf[count++] = '1';
        --exponent;
    }
    if (exponent > kExponentLimit) exponent = kExponentLimit;
    if (exponent < -kExponentLimit) exponent = -kExponentLimit;
    // Magnitude of the leading digit: beyond 10^309 nothing fits, below 10^-400 nothing is left.
    const std::int64_t leading = exponent + count - 1;
    if (leading > 309) return std::nullopt;
    if (leading < -400) return negative ? -0.0 : 0.0;

    char* p = buf + count;
    *p++ = 'e';
    p = std::to_chars(p, buf + sizeof buf, exponent).ptr;
    double value = 0;
    const auto [end, ec] = std::from_chars(buf, p, value, std::chars_format::scientific);
    if (end != p) return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        if (leading > 0) return std::nullopt;  // overflow
        value = 0;                             // underflow
    } else if (ec != std::errc{} || std::isinf(value)) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<Decimal> parseDecimal(std::string_view text, char decimalSeparator) {
    if (text == "0") return Decimal{0, 0, 1};
    std::size_t i = 0;
    const std::size_t n = text.size();
    bool negative = false;
    if (i < n && text[i] == '-') {
        negative = true;
        ++i;
    }
    constexpr std::int64_t kLimit = 999'999'999'999'999'999;  // 18 digits
    std::int64_t unscaled = 0;
    int intDigits = 0;      // significant digits before the separator
    int fracDigits = 0;     // digits after the separator that are part of `unscaled`
    int pendingZeros = 0;   // zeros after the separator not yet multiplied in
    bool anyDigit = false;
    bool separator = false;
    for (; i < n; ++i) {
        const char c = text[i];
        if (c == decimalSeparator && !separator) {
            separator = true;
            continue;
        }
        if (!isDigit(c)) return std::nullopt;
        anyDigit = true;
        const int d = c - '0';
        if (!separator) {
            if (unscaled == 0 && d == 0) continue;  // leading zero
            if (unscaled > (kLimit - d) / 10) return std::nullopt;
            unscaled = unscaled * 10 + d;
            ++intDigits;
            continue;
        }
        if (d == 0) {
            ++pendingZeros;
            continue;
        }
        for (; pendingZeros >= 0; --pendingZeros) {
            const int digit = pendingZeros == 0 ? d : 0;
            if (unscaled > (kLimit - digit) / 10) return std::nullopt;
            unscaled = unscaled * 10 + digit;
            ++fracDigits;
        }
        pendingZeros = 0;
    }
    if (!anyDigit) return std::nullopt;
    // Trailing zeros of the fraction count as written decimal places as far as they fit.
    for (; pendingZeros > 0 && unscaled <= kLimit / 10 && fracDigits < 127 - intDigits; --pendingZeros) {
        unscaled *= 10;
        ++fracDigits;
    }
    if (fracDigits + intDigits > 127) return std::nullopt;
    Decimal result;
    result.unscaled = negative ? -unscaled : unscaled;
    result.scale = static_cast<std::int8_t>(fracDigits);
    result.digits = static_cast<std::int8_t>(intDigits + fracDigits > 0 ? intDigits + fracDigits : 1);
    return result;
}

}  // namespace mig
