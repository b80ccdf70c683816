#pragma once
// A field's value, independent of any locale. Text is held as WIN1252 bytes.
#include <cstdint>
#include <string>
#include <variant>

namespace mig {

// Fixed-point decimal: value = unscaled / 10^scale. `digits` is the number of
// significant digits the value was written with (the decimal syntax keeps it).
struct Decimal {
    std::int64_t unscaled = 0;
    std::int8_t scale = 0;
    std::int8_t digits = 0;
    bool operator==(const Decimal&) const = default;
};

// Calendar date as days since 30 December 1899 (day 0).
struct Date {
    std::int32_t days = 0;
    bool operator==(const Date&) const = default;
};

// Time of day as milliseconds since midnight.
struct Time {
    std::int32_t ms = 0;
    bool operator==(const Time&) const = default;
};

// Date and time as a day number with the time of day as fraction (days since 1899-12-30).
struct DateTime {
    double value = 0;
    bool operator==(const DateTime&) const = default;
};

struct Timestamp {
    std::int16_t year = 0;
    std::uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::uint32_t fraction = 0;  // ten-thousandths of a second (the server's resolution)
    bool operator==(const Timestamp&) const = default;
};

// std::monostate is the empty (null) field. Which alternative a field uses follows its kind:
// Text/Memo/Blob -> std::string; SmallInt/Word/Integer -> int32_t; Float/Currency -> double;
// Decimal -> Decimal; Date -> Date; Time -> Time; DateTime -> DateTime;
// Timestamp -> Timestamp; Logical -> bool.
using Value = std::variant<std::monostate, std::string, std::int32_t, double, Decimal, Date, Time,
                           DateTime, Timestamp, bool>;

inline bool isNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

}  // namespace mig
