#pragma once
// A field value as text, by its kind and the regional settings passed in: the one conversion
// behind Field::asText, the target datasets' texts and the legacy tables' grid.
#include <string>

#include "target/field/RegionalSettings.h"
#include "target/field/Value.h"

namespace mig {

// The empty value: the empty text. Text as it is; integers in digits; floats in the general
// float format; decimals in plain notation; dates, times, date-and-times and timestamps by the
// short date and long time formats; logical values "True" or "False". Separators come from
// `settings`.
std::string formatValue(const Value& value, const RegionalSettings& settings);

}  // namespace mig
