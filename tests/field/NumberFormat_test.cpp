// The general float format, the integer and decimal texts and the fixed patterns, row by row.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "target/field/NumberFormat.h"

namespace mig {
namespace {

struct GeneralRow {
    double value;
    char separator;
    const char* expected;
};

TEST(GeneralFloatFormat, Table) {
    const GeneralRow rows[] = {
        {1.5, ',', "1,5"},
        {1.5, '.', "1.5"},
        {1000, ',', "1000"},
        {0.0001, ',', "0,0001"},
        {0.00005, ',', "5E-5"},
        {1.5e20, ',', "1,5E20"},
        {-1.5e20, ',', "-1,5E20"},
        {-0.25, ',', "-0,25"},
        {0, ',', "0"},
        {-0.0, ',', "0"},  // negative zero has no sign
        {123.456, ',', "123,456"},
        {1234567, ',', "1234567"},  // no grouping
        {1e-10, '.', "1E-10"},
        {1.25e-7, '.', "1.25E-7"},
        {0.00012345, '.', "0.00012345"},
        {0.000099999, '.', "9.9999E-5"},
        // Fixed up to 15 digits before the separator, then the exponent form.
        {999999999999999, '.', "999999999999999"},
        {1e15, '.', "1E15"},
        {123456789012345678.0, '.', "1.23456789012346E17"},
        // Rounding at the 15th significant digit.
        {0.1 + 0.2, '.', "0.3"},
        {1.0 / 3, '.', "0.333333333333333"},
        {2.0 / 3, '.', "0.666666666666667"},
        {999999999999999.9, '.', "1E15"},  // the rounding carries into a 16th digit
        {0.000099999999999999999, '.', "0.0001"},  // and lifts the value into fixed notation
        {1000000000000005, '.', "1.00000000000001E15"},  // a tie goes away from zero
        {-1000000000000005, '.', "-1.00000000000001E15"},
        {1.7976931348623157e308, '.', "1.79769313486232E308"},
        {4.9406564584124654e-324, '.', "4.94065645841247E-324"},
        {std::numeric_limits<double>::infinity(), '.', "INF"},
        {-std::numeric_limits<double>::infinity(), '.', "-INF"},
        {std::numeric_limits<double>::quiet_NaN(), '.', "NAN"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(formatGeneralFloat(row.value, row.separator), row.expected);
    }
}

TEST(GeneralFloatFormat, TakesTheSeparatorFromTheSettings) {
    RegionalSettings s;
    s.decimalSeparator = ',';
    EXPECT_EQ(formatGeneralFloat(2.5, s), "2,5");
}

TEST(IntegerText, DigitsWithMinusAndNoLeadingZeros) {
    EXPECT_EQ(formatInteger(0), "0");
    EXPECT_EQ(formatInteger(-42), "-42");
    EXPECT_EQ(formatInteger(2147483647), "2147483647");
    EXPECT_EQ(formatInteger(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

struct DecimalTextRow {
    Decimal value;
    const char* expected;
};

TEST(DecimalText, Table) {
    const DecimalTextRow rows[] = {
        {{105, 2, 3}, "1,05"},
        {{150, 2, 3}, "1,5"},
        {{-50, 2, 2}, "-0,5"},
        {{1000, 0, 4}, "1000"},
        {{0, 8, 1}, "0"},
        {{5, 5, 5}, "0,00005"},  // never an exponent: the decimal syntax reads it back
        {{123456789012345678, 8, 18}, "1234567890,12345678"},
        {{std::numeric_limits<std::int64_t>::min(), 2, 19}, "-92233720368547758,08"},
        {{12, -2, 2}, "1200"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(formatDecimal(row.value, ','), row.expected);
    }
}

struct Pattern000000Row {
    std::int64_t value;
    const char* expected;
};

TEST(Pattern000000, Table) {
    const Pattern000000Row rows[] = {
        {42, "000042"},
        {0, "000000"},
        {999999, "999999"},
        {1234567, "1234567"},
        {-42, "-000042"},
        {-1234567, "-1234567"},
        {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(formatPattern000000(row.value), row.expected);
    }
}

struct DisplayRow {
    double value;
    const char* pattern;
    const char* expected;
};

TEST(DisplayPattern, Table) {
    const DisplayRow rows[] = {
        {1.5, "0.00", "1,50"},
        {0, "0.00", "0,00"},
        {1234567.891, "0.00", "1234567,89"},  // no grouping
        {0.125, "0.00", "0,13"},              // an exact tie rounds away from zero
        {-0.125, "0.00", "-0,13"},
        {0.004, "0.00", "0,00"},
        {-0.004, "0.00", "0,00"},  // rounds to zero: no sign
        {0.995, "0.00", "0,99"},   // 0.99499999999999999556 as a double
        {9.999, "0.00", "10,00"},
        {1e20, "0.00", "100000000000000000000,00"},
        {2.5, "0.0000", "2,5000"},
        {0.00005, "0.0000", "0,0001"},
        {1e6, "0.0000", "1000000,0000"},
        {42, "000000", "000042"},
        {41.5, "000000", "000042"},
        {-3, "000000", "-000003"},
        {1.5, "#.##", "1,5"},
        {0.5, "#.##", ",5"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.pattern) + " -> " + row.expected);
        EXPECT_EQ(formatNumberPattern(row.value, row.pattern, ','), row.expected);
    }
}

TEST(DisplayPattern, DecimalValuesRoundExactly) {
    // 1.005 is exact as a decimal, so it rounds up where the double 1.005 would not.
    EXPECT_EQ(formatNumberPattern(Decimal{1005, 3, 4}, "0.00", ','), "1,01");
    EXPECT_EQ(formatNumberPattern(Decimal{-12345678, 8, 8}, "0.00", ','), "-0,12");
    EXPECT_EQ(formatNumberPattern(Decimal{7, 0, 1}, "0.0000", '.'), "7.0000");
}

}  // namespace
}  // namespace mig
