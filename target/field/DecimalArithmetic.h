#pragma once
// Arithmetic of the fixed-point decimals (Decimal: unscaled / 10^scale) and the rounding of
// numbers to integers, written once for the field layer, the datasets and the driver.
#include <cstdint>
#include <optional>

#include "target/field/Value.h"

namespace mig {

// The greatest n for which 10^n fits 64 bits.
inline constexpr int kMaxPowerOfTen = 18;
// 10^n for n in 0..kMaxPowerOfTen.
std::int64_t powerOfTen(int n);

// The number of decimal digits of |value|; 1 for zero.
int countDigits(std::int64_t value);

// unscaled / 10^from as a multiple of 10^-to (either scale may be negative), rounded half away
// from zero. False when the result does not fit 64 bits.
bool rescale(std::int64_t unscaled, int from, int to, std::int64_t& out);

// Decimal to double, correctly rounded.
double decimalToDouble(const Decimal& value);

// A double as the decimal it is written with in 15 significant digits (1.005 stays 1.005, with
// scale 3), trailing zeros dropped; `digits` counts the unscaled value's digits. A magnitude
// below anything 127 decimal places keep is zero. Empty for a value that is not finite or whose
// unscaled value does not fit 64 bits.
std::optional<Decimal> decimalOfDouble(double value);

// Rounding to the nearest integer with a tie going to the even neighbour. False when the
// result does not fit 32 bits (or the value is not a number).
bool roundHalfEven(double value, std::int32_t& out);
bool roundHalfEven(const Decimal& value, std::int32_t& out);

}  // namespace mig
