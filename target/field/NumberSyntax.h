#pragma once
// The syntaxes by which text becomes a number. They look at no locale: the decimal separator
// is passed in. Each returns nothing when the text does not follow its syntax.
#include <cstdint>
#include <optional>
#include <string_view>

#include "target/field/Value.h"

namespace mig {

// Blanks (spaces) before, an optional sign, then decimal digits in -2147483648..2147483647 or a
// hexadecimal number after "$", "x", "X", "0x" or "0X" whose at most eight significant digits
// are taken as a signed 32-bit value. Nothing may follow.
std::optional<std::int32_t> parseInteger(std::string_view text);

// Blanks, an optional sign, digits with an optional decimal separator and fraction (a lone
// separator reads as 0), an optional exponent ("E" or "e", optional sign, digits), blanks.
// Only `decimalSeparator` is accepted, never a grouping separator. Overflow is refused,
// a value too small for a double gives zero.
std::optional<double> parseFloat(std::string_view text, char decimalSeparator);

// Digits with at most one `decimalSeparator` and a leading "-"; nothing else (no blanks, no
// "+", no exponent). Keeps the digits and decimal places the text was written with: "1,05"
// gives 105 with scale 2 and 3 digits. Leading zeros are dropped ("007" is 7, one digit).
// Refused when the value needs more than 18 significant digits.
std::optional<Decimal> parseDecimal(std::string_view text, char decimalSeparator);

}  // namespace mig
