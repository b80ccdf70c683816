#pragma once
// The kinds of value a field holds. Shared by the legacy tables and the target datasets.
#include <cstdint>
#include <string_view>

namespace mig {

enum class FieldKind : std::uint8_t {
    Text,       // single-byte WIN1252 characters, at most `size` of them
    SmallInt,   // signed 16-bit integer
    Word,       // unsigned 16-bit integer
    Integer,    // signed 32-bit integer
    Float,      // IEEE double
    Currency,   // double with currency semantics (legacy 'Y' fields)
    Decimal,    // fixed point: `precision` digits, `size` of them after the separator
    Date,       // calendar date
    Time,       // time of day
    DateTime,   // date with a time of day (days since 1899-12-30 plus fraction)
    Timestamp,  // year, month, day, hour, minute, second, fraction
    Logical,    // true or false
    Memo,       // text of any length
    Blob,       // bytes of any length
};

// English name of a kind as the data layer writes it in messages
// ("String", "Integer", "Float", "BCD", "Date", "TimeStamp", ...).
std::string_view kindName(FieldKind kind);

}  // namespace mig
