#include "target/field/DecimalArithmetic.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace mig {
namespace {

__extension__ typedef __int128 Int128;

constexpr std::int64_t kPowersOfTen[kMaxPowerOfTen + 1] = {1LL,
                                                           10LL,
                                                           100LL,
                                                           1000LL,
                                                           10000LL,
                                                           100000LL,
                                                           1000000LL,
                                                           10000000LL,
                                                           100000000LL,
                                                           1000000000LL,
                                                           10000000000LL,
                                                           100000000000LL,
                                                           1000000000000LL,
                                                           10000000000000LL,
                                                           100000000000000LL,
                                                           1000000000000000LL,
                                                           10000000000000000LL,
                                                           100000000000000000LL,
                                                           1000000000000000000LL};

}  // namespace

std::int64_t powerOfTen(int n) { return kPowersOfTen[n]; }

int countDigits(std::int64_t value) {
    std::uint64_t u = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    int digits = 1;
    while (u >= 10) {
        u /= 10;
        ++digits;
    }
    return digits;
}

bool rescale(std::int64_t unscaled, int from, int to, std::int64_t& out) {
    if (to >= from) {
        const int diff = to - from;
        if (unscaled == 0) {
            out = 0;
            return true;
        }
        if (diff > kMaxPowerOfTen) return false;
        return !__builtin_mul_overflow(unscaled, kPowersOfTen[diff], &out);
    }
    const int diff = from - to;
    if (diff > kMaxPowerOfTen) {
        out = 0;  // |unscaled| < 9.3e18 is below half of 10^19
        return true;
    }
    const std::int64_t p = kPowersOfTen[diff];
    std::int64_t q = unscaled / p;
    const std::int64_t r = unscaled % p;
    const std::uint64_t twice = 2 * (r < 0 ? 0 - static_cast<std::uint64_t>(r) : static_cast<std::uint64_t>(r));
    if (twice >= static_cast<std::uint64_t>(p)) q += unscaled < 0 ? -1 : 1;
    out = q;
    return true;
}

double decimalToDouble(const Decimal& value) {
    constexpr std::int64_t kExact = std::int64_t{1} << 53;
    if (value.scale >= 0 && value.scale <= 22 && value.unscaled > -kExact && value.unscaled < kExact) {
        // Both operands are exact doubles, so one division rounds correctly.
        static constexpr double kPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        return static_cast<double>(value.unscaled) / kPow10[value.scale];
    }
    char buf[48];
    char* p = std::to_chars(buf, buf + 24, value.unscaled).ptr;
    *p++ = 'e';
    p = std::to_chars(p, buf + sizeof buf, -static_cast<int>(value.scale)).ptr;
    double result = 0;
    std::from_chars(buf, p, result, std::chars_format::scientific);
    return result;
}

std::optional<Decimal> decimalOfDouble(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);  // d.dddddddddddddde[+-]xx: 15 digits
    const char* p = buf;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    std::int64_t digits = 0;
    int count = 0;
    for (; *p && *p != 'e'; ++p) {
        if (*p == '.') continue;
        digits = digits * 10 + (*p - '0');
        ++count;
    }
    const int exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
    // value = digits * 10^(exponent - (count - 1))
    int scale = (count - 1) - exponent;
    while (scale > 0 && digits % 10 == 0) {
        digits /= 10;
        --scale;
    }
    if (scale < 0) {
        if (!rescale(digits, scale, 0, digits)) return std::nullopt;
        scale = 0;
    }
    if (scale > 127) {  // far below anything a parameter keeps
        digits = 0;
        scale = 0;
    }
    const std::int64_t unscaled = negative ? -digits : digits;
    return Decimal{unscaled, static_cast<std::int8_t>(scale), static_cast<std::int8_t>(countDigits(unscaled))};
}

bool roundHalfEven(double value, std::int32_t& out) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return false;
    const double lower = std::floor(value);
    const double rest = value - lower;  // exact
    double result = lower;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(lower, 2.0) != 0)) result = lower + 1;
    if (result < -2147483648.0 || result > 2147483647.0) return false;
    out = static_cast<std::int32_t>(result);
    return true;
}

bool roundHalfEven(const Decimal& value, std::int32_t& out) {
    Int128 result = 0;
    if (value.scale <= 0) {
        result = value.unscaled;
        for (int s = value.scale; s < 0; ++s) {
            result *= 10;
            if (result > std::numeric_limits<std::int64_t>::max() || result < std::numeric_limits<std::int64_t>::min())
                return false;
        }
    } else if (value.scale > 36) {
        result = 0;  // |value| < 10^-18
    } else {
        Int128 divisor = 1;
        for (int s = 0; s < value.scale; ++s) divisor *= 10;
        const Int128 u = value.unscaled;
        Int128 q = u / divisor;
        Int128 r = u % divisor;  // same sign as u
        const Int128 twice = (r < 0 ? -r : r) * 2;
        if (twice > divisor || (twice == divisor && q % 2 != 0)) q += u < 0 ? -1 : 1;
        result = q;
    }
    if (result < std::numeric_limits<std::int32_t>::min() || result > std::numeric_limits<std::int32_t>::max())
        return false;
    out = static_cast<std::int32_t>(result);
    return true;
}

}  // namespace mig
