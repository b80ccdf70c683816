// The arithmetic of decimals, row by row: rescaling (half away from zero, overflow refused),
// the decimals doubles are written with, the conversion to double, and the rounding to integers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "target/field/DecimalArithmetic.h"

namespace mig {
namespace {

TEST(PowerOfTen, AndDigitsCounted) {
    EXPECT_EQ(powerOfTen(0), 1);
    EXPECT_EQ(powerOfTen(kMaxPowerOfTen), 1'000'000'000'000'000'000);
    EXPECT_EQ(countDigits(0), 1);
    EXPECT_EQ(countDigits(-7), 1);
    EXPECT_EQ(countDigits(999'999'999'999'999'999), 18);
    EXPECT_EQ(countDigits(std::numeric_limits<std::int64_t>::min()), 19);
}

struct RescaleRow {
    std::int64_t unscaled;
    int from, to;
    std::optional<std::int64_t> expected;  // empty: overflow
};

TEST(Rescale, RoundsHalfAwayFromZeroAndRefusesOverflow) {
    const RescaleRow rows[] = {
        {12345, 3, 2, 1235},    // 12.345 -> 12.35
        {-12345, 3, 2, -1235},  // a tie goes away from zero on both sides
        {12344, 3, 2, 1234},
        {15, 1, 0, 2},
        {-15, 1, 0, -2},
        {149, 2, 0, 1},
        {7, 0, 4, 70000},
        {7, -3, 0, 7000},  // a negative scale: 7 * 10^3
        {0, 0, 40, 0},
        {5, 40, 0, 0},  // far below the last place kept
        {1, 0, 19, std::nullopt},
        {922337203685477581, 0, 1, std::nullopt},
        {std::numeric_limits<std::int64_t>::max(), 0, 0, std::numeric_limits<std::int64_t>::max()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.unscaled) + " from " + std::to_string(row.from) + " to " +
                     std::to_string(row.to));
        std::int64_t got = -99;
        ASSERT_EQ(rescale(row.unscaled, row.from, row.to, got), row.expected.has_value());
        if (row.expected) {
            EXPECT_EQ(got, *row.expected);
        }
    }
}

struct DoubleRow {
    double value;
    std::optional<Decimal> expected;
};

TEST(DecimalOfDouble, TheDecimalWrittenInFifteenDigits) {
    const DoubleRow rows[] = {
        {1.005, Decimal{1005, 3, 4}},  // not 1.00499999999999989...
        {-2.5, Decimal{-25, 1, 2}},
        {0.1, Decimal{1, 1, 1}},
        {1e15, Decimal{1'000'000'000'000'000, 0, 16}},
        {123456789.123456789, Decimal{123456789123457, 6, 15}},
        {0, Decimal{0, 0, 1}},
        {1e-200, Decimal{0, 0, 1}},  // beyond 127 places
        {1e19, std::nullopt},        // does not fit 64 bits
        {std::numeric_limits<double>::infinity(), std::nullopt},
        {std::numeric_limits<double>::quiet_NaN(), std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(decimalOfDouble(row.value), row.expected);
    }
}

struct RoundRow {
    double value;
    std::int32_t expected;
};

TEST(RoundHalfEven, FloatTable) {
    const RoundRow rows[] = {
        {2.5, 2},   {3.5, 4},   {-2.5, -2}, {-3.5, -4}, {0.5, 0},  {1.5, 2},
        {2.4999999, 2}, {2.5000001, 3}, {-0.5, 0}, {7, 7},
        {2147483647.4, 2147483647}, {-2147483648.5, std::numeric_limits<std::int32_t>::min()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        std::int32_t got = -99;
        ASSERT_TRUE(roundHalfEven(row.value, got));
        EXPECT_EQ(got, row.expected);
    }
}

TEST(RoundHalfEven, RefusesWhatDoesNotFit32Bits) {
    std::int32_t got = 0;
    EXPECT_FALSE(roundHalfEven(2147483647.5, got));
    EXPECT_FALSE(roundHalfEven(-2147483648.6, got));
    EXPECT_FALSE(roundHalfEven(1e300, got));
    EXPECT_FALSE(roundHalfEven(std::numeric_limits<double>::quiet_NaN(), got));
    EXPECT_FALSE(roundHalfEven(std::numeric_limits<double>::infinity(), got));
    EXPECT_FALSE(roundHalfEven(Decimal{21474836475, 1, 11}, got));
}

struct DecimalRoundRow {
    Decimal value;
    std::int32_t expected;
};

TEST(RoundHalfEven, DecimalTable) {
    const DecimalRoundRow rows[] = {
        {{25, 1, 2}, 2},
        {{35, 1, 2}, 4},
        {{-25, 1, 2}, -2},
        {{-35, 1, 2}, -4},
        {{251, 2, 3}, 3},
        {{-50, 2, 2}, 0},
        {{500000000000000000, 18, 18}, 0},
        {{600000000000000000, 18, 18}, 1},
        {{6000000000000000000, 19, 19}, 1},  // beyond 64-bit powers of ten
        {{42, 0, 2}, 42},
        {{21474836474, 1, 11}, 2147483647},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        std::int32_t got = -99;
        ASSERT_TRUE(roundHalfEven(row.value, got));
        EXPECT_EQ(got, row.expected);
    }
}

TEST(DecimalToDouble, IsCorrectlyRounded) {
    EXPECT_EQ(decimalToDouble({105, 2, 3}), 1.05);
    EXPECT_EQ(decimalToDouble({-50, 2, 2}), -0.5);
    EXPECT_EQ(decimalToDouble({123456789012345678, 8, 18}), 1234567890.12345678);
    EXPECT_EQ(decimalToDouble({1, 30, 30}), 1e-30);
    EXPECT_EQ(decimalToDouble({12, -3, 2}), 12000.0);
}

TEST(DecimalToDouble, IsCorrectlyRoundedBeyondFifteenDigits) {
    // Unscaled values above 2^53: dividing them as doubles would round them first (to
    // 90071992547409.92 and 123456789012345.69).
    EXPECT_EQ(decimalToDouble({9007199254740993, 2, 16}), 90071992547409.93);
    EXPECT_EQ(decimalToDouble({-123456789012345679, 3, 18}), -123456789012345.679);
}

}  // namespace
}  // namespace mig
