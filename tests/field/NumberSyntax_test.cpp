// The integer, float and decimal syntaxes, row by row.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "target/field/NumberSyntax.h"
#include "tests/field/Printers.h"

namespace mig {
namespace {

struct IntegerRow {
    const char* text;
    std::optional<std::int32_t> expected;
};

TEST(IntegerSyntax, Table) {
    const IntegerRow rows[] = {
        {"42", 42},
        {" 42", 42},
        {"   -7", -7},
        {"+42", 42},
        {"$2A", 42},
        {"x2A", 42},
        {"X2a", 42},
        {"0x2A", 42},
        {"0X2a", 42},
        {"-$2A", -42},
        {"000123", 123},
        {"-0", 0},
        {"2147483647", 2147483647},
        {"-2147483648", std::numeric_limits<std::int32_t>::min()},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        // Hexadecimal: eight digits are the 32 bits of a signed value.
        {"$7FFFFFFF", 2147483647},
        {"$80000000", std::numeric_limits<std::int32_t>::min()},
        {"$FFFFFFFF", -1},
        {"-$FFFFFFFF", 1},
        {"$00000000FF", 255},  // leading zeros are not significant digits
        {"$100000000", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"$2G", std::nullopt},
        {"00x2A", std::nullopt},
        // Nothing may follow, and only spaces lead.
        {"42 ", std::nullopt},
        {"4,2", std::nullopt},
        {"4.2", std::nullopt},
        {"1.000", std::nullopt},
        {"1E3", std::nullopt},
        {"\t42", std::nullopt},
        {"+-4", std::nullopt},
        {"- 4", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"+", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("text '") + row.text + "'");
        EXPECT_EQ(parseInteger(row.text), row.expected);
    }
}

struct FloatRow {
    const char* text;
    char separator;
    std::optional<double> expected;
};

TEST(FloatSyntax, Table) {
    const FloatRow rows[] = {
        {"1,5", ',', 1.5},
        {" 1,5 ", ',', 1.5},
        {"  -1,5", ',', -1.5},
        {"+1,5", ',', 1.5},
        {"1.5", ',', std::nullopt},
        {"1.000,5", ',', std::nullopt},
        {"1 000,5", ',', std::nullopt},
        {"1E3", ',', 1000.0},
        {"1e3", ',', 1000.0},
        {"1,5E-2", ',', 0.015},
        {"2E+2", ',', 200.0},
        {"1.5", '.', 1.5},
        {"1,5", '.', std::nullopt},
        {",5", ',', 0.5},
        {"5,", ',', 5.0},
        {",", ',', 0.0},  // a lone separator reads as 0
        {",E5", ',', 0.0},
        {"0,00005", ',', 0.00005},
        {"5E-5", ',', 0.00005},
        {"1,5E20", ',', 1.5e20},
        {"0,1", ',', 0.1},
        {"123456789012345678901234567890", '.', 1.2345678901234568e29},
        {"1,7976931348623157E308", ',', 1.7976931348623157e308},
        {"1,8E308", ',', std::nullopt},  // overflow
        {"1E400", ',', std::nullopt},
        {"1E-400", ',', 0.0},  // too small for a double: zero
        {"4,9406564584124654E-324", ',', 4.9406564584124654e-324},
        {"E5", ',', std::nullopt},
        {"1E", ',', std::nullopt},
        {"1E+", ',', std::nullopt},
        {"1 E3", ',', std::nullopt},
        {"+", ',', std::nullopt},
        {"-", ',', std::nullopt},
        {"", ',', std::nullopt},
        {"  ", ',', std::nullopt},
        {"1,5x", ',', std::nullopt},
        {"INF", '.', std::nullopt},
        {"NAN", '.', std::nullopt},
        {"0x10", '.', std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("text '") + row.text + "' separator '" + row.separator + "'");
        EXPECT_EQ(parseFloat(row.text, row.separator), row.expected);
    }
}

TEST(FloatSyntax, NegativeZeroKeepsItsSign) {
    const auto v = parseFloat("-0", '.');
    ASSERT_TRUE(v);
    EXPECT_EQ(*v, 0.0);
    EXPECT_TRUE(std::signbit(*v));
}

TEST(FloatSyntax, LongMantissaRoundsCorrectly) {
    // 1 + 2^-53 is the exact tie between 1 and the next double; one more digit far away
    // decides it upward. Folding the distant digits must not lose that.
    const std::string tie = "1.00000000000000011102230246251565404236316680908203125";
    EXPECT_EQ(parseFloat(tie, '.'), 1.0);
    const std::string above = tie + std::string(900, '0') + "1";
    EXPECT_EQ(parseFloat(above, '.'), std::nextafter(1.0, 2.0));
}

struct DecimalRow {
    const char* text;
    std::optional<Decimal> expected;  // unscaled, scale, digits
};

TEST(DecimalSyntax, Table) {
    const DecimalRow rows[] = {
        {"0", Decimal{0, 0, 1}},
        {"007", Decimal{7, 0, 1}},
        {"-0,50", Decimal{-50, 2, 2}},
        {"1,05", Decimal{105, 2, 3}},
        {"1000", Decimal{1000, 0, 4}},
        {"1,", Decimal{1, 0, 1}},
        {",5", Decimal{5, 1, 1}},
        {"0,00", Decimal{0, 2, 2}},
        {"-0", Decimal{0, 0, 1}},
        {"0,00005", Decimal{5, 5, 5}},
        {"123456789012345678", Decimal{123456789012345678, 0, 18}},
        {"1234567890123,45678", Decimal{123456789012345678, 5, 18}},
        // Trailing zeros beyond what 18 digits hold are dropped without changing the value.
        {"1,50000000000000000000", Decimal{150000000000000000, 17, 18}},
        {"1234567890123456789", std::nullopt},
        {"1,234567890123456789", std::nullopt},
        {"1.25", std::nullopt},
        {"+1", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"1E-5", std::nullopt},
        {"5E-5", std::nullopt},
        {"1.000,5", std::nullopt},
        {"1,2,3", std::nullopt},
        {"1-2", std::nullopt},
        {"--1", std::nullopt},
        {"-", std::nullopt},
        {",", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("text '") + row.text + "'");
        const auto got = parseDecimal(row.text, ',');
        ASSERT_EQ(got.has_value(), row.expected.has_value());
        if (got) {
            EXPECT_EQ(got->unscaled, row.expected->unscaled);
            EXPECT_EQ(got->scale, row.expected->scale);
            EXPECT_EQ(got->digits, row.expected->digits);
        }
    }
}

TEST(DecimalSyntax, TheDotIsTheSeparatorOnlyWhereTheLocaleSaysSo) {
    EXPECT_EQ(parseDecimal("1.25", '.'), (Decimal{125, 2, 3}));
    EXPECT_FALSE(parseDecimal("1,25", '.'));
}

}  // namespace
}  // namespace mig
