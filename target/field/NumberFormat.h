#pragma once
// Numbers written as text: the general float format, integers, decimals, and the fixed
// patterns of the target fields ("000000", "0.00", "0.0000"). No grouping is ever written;
// the decimal separator comes from the settings passed in.
#include <cstdint>
#include <string>
#include <string_view>

#include "target/field/RegionalSettings.h"
#include "target/field/Value.h"

namespace mig {

// 15 significant digits, trailing zeros dropped; fixed notation for a magnitude from 0.0001
// up to 15 digits before the separator (and for zero), else one digit, the fraction, "E", an
// optional "-" and the exponent: 1,5  1000  0,0001  5E-5  1,5E20. Ties at the 16th digit
// round away from zero. Negative zero is "0"; not-a-number and infinities are "NAN", "INF", "-INF".
std::string formatGeneralFloat(double value, char decimalSeparator);
inline std::string formatGeneralFloat(double value, const RegionalSettings& settings) {
    return formatGeneralFloat(value, settings.decimalSeparator);
}

std::string formatInteger(std::int64_t value);

// The decimal's digits in plain notation (never an exponent), the separator only when a
// fraction remains after dropping trailing zeros: 105 scale 2 -> "1,05"; 150 scale 2 -> "1,5".
std::string formatDecimal(const Decimal& value, char decimalSeparator);

// Pattern "000000": at least six digits with leading zeros, the minus sign before the zeros.
std::string formatPattern000000(std::int64_t value);

// A display pattern of digit placeholders: '0' (always written) and '#' (written when
// significant), with an optional '.' standing for the decimal separator: "000000", "0.00",
// "0.0000", "#.##". Rounds half away from zero; a value that rounds to zero has no sign.
// Other characters of the pattern are copied as they stand.
std::string formatNumberPattern(double value, std::string_view pattern, char decimalSeparator);
std::string formatNumberPattern(const Decimal& value, std::string_view pattern, char decimalSeparator);
inline std::string formatNumberPattern(double value, std::string_view pattern, const RegionalSettings& s) {
    return formatNumberPattern(value, pattern, s.decimalSeparator);
}
inline std::string formatNumberPattern(const Decimal& value, std::string_view pattern,
                                       const RegionalSettings& s) {
    return formatNumberPattern(value, pattern, s.decimalSeparator);
}

}  // namespace mig
