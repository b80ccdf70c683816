#pragma once
// The field layer's failure texts, as the operator reads them. "%s" takes a text or a name,
// "%g" a number in the general float format; formatMessage fills them in order.
#include <initializer_list>
#include <string>
#include <string_view>

namespace mig::msg {

inline constexpr std::string_view kFieldNotFound = "Field '%s' not found";
inline constexpr std::string_view kCannotAccessField = "Cannot access field '%s' as type %s";

inline constexpr std::string_view kInvalidInteger = "'%s' is not a valid integer value";
inline constexpr std::string_view kInvalidIntegerForField = "'%s' is not a valid integer value for field '%s'";
inline constexpr std::string_view kInvalidFloat = "'%s' is not a valid floating point value";
inline constexpr std::string_view kInvalidFloatForField =
    "'%s' is not a valid floating point value for field '%s'";
inline constexpr std::string_view kOutOfRange =
    "%g is not a valid value for field '%s'. The allowed range is %g to %g";
inline constexpr std::string_view kInvalidBcd = "%s is not a valid BCD value";
inline constexpr std::string_view kInvalidDate = "'%s' is not a valid date";
inline constexpr std::string_view kInvalidTime = "'%s' is not a valid time";
inline constexpr std::string_view kInvalidDateTime = "'%s' is not a valid date and time";
inline constexpr std::string_view kInvalidTimestamp = "Could not parse SQL TimeStamp string";
inline constexpr std::string_view kInvalidBoolean = "'%s' is not a valid boolean value for field '%s'";

// Replaces each "%s", "%g" or "%d" of the pattern, left to right, by the next argument
// (already written as text). "%%" gives one "%". Arguments are inserted as they are.
std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace mig::msg
