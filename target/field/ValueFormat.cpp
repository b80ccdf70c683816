#include "target/field/ValueFormat.h"

#include "target/field/DateSyntax.h"
#include "target/field/NumberFormat.h"

namespace mig {

std::string formatValue(const Value& value, const RegionalSettings& settings) {
    struct Writer {
        const RegionalSettings& rs;
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(std::int32_t i) const { return formatInteger(i); }
        std::string operator()(double d) const { return formatGeneralFloat(d, rs); }
        std::string operator()(const Decimal& d) const { return formatDecimal(d, rs.decimalSeparator); }
        std::string operator()(Date d) const { return formatDate(d, rs); }
        std::string operator()(Time t) const { return formatTime(t, rs); }
        std::string operator()(DateTime d) const { return formatDateTime(d, rs); }
        std::string operator()(const Timestamp& t) const { return formatTimestamp(t, rs); }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
    };
    return std::visit(Writer{settings}, value);
}

}  // namespace mig
