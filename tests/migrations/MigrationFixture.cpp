#include "tests/migrations/MigrationFixture.h"

#include <cstdio>

#include "target/field/Calendar.h"
#include "target/field/NumberFormat.h"
#include "target/field/Win1252.h"

namespace mig::test {

std::string w(std::string_view utf8) { return utf8ToWin1252(utf8); }

std::string show(const Value& value) {
    if (isNull(value)) return "<null>";
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* i = std::get_if<std::int32_t>(&value)) return std::to_string(*i);
    if (const auto* d = std::get_if<Decimal>(&value)) return formatDecimal(*d, '.');
    if (const auto* f = std::get_if<double>(&value)) return formatGeneralFloat(*f, '.');
    if (const auto* date = std::get_if<Date>(&value)) {
        const CivilDate c = civilDate(*date);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", c.year, c.month, c.day);
        return buffer;
    }
    return "<value>";
}

}  // namespace mig::test
