#include "target/field/Field.h"

#include <limits>

#include "target/field/Calendar.h"
#include "target/field/DateSyntax.h"
#include "target/field/DecimalArithmetic.h"
#include "target/field/Errors.h"
#include "target/field/Messages.h"
#include "target/field/NumberFormat.h"
#include "target/field/NumberSyntax.h"
#include "target/field/RegionalSettings.h"
#include "target/field/ValueFormat.h"

namespace mig {
namespace {

[[noreturn]] void fail(std::string_view pattern, std::initializer_list<std::string_view> args) {
    throw ConversionError(msg::formatMessage(pattern, args));
}

[[noreturn]] void cannotAccess(const Field& f, std::string_view type) {
    fail(msg::kCannotAccessField, {f.displayName(), type});
}

struct Range {
    double low, high;
};

Range kindRange(FieldKind kind) {
    switch (kind) {
        case FieldKind::SmallInt: return {-32768.0, 32767.0};
        case FieldKind::Word: return {0.0, 65535.0};
        default: return {-2147483648.0, 2147483647.0};
    }
}

bool isIntegerKind(FieldKind k) {
    return k == FieldKind::SmallInt || k == FieldKind::Word || k == FieldKind::Integer;
}

// The bounds a value of the field must keep to: the field's minimum and maximum where set
// (an integer field never leaving its kind's range), else the kind's range for integers and
// no bound for the other kinds. Empty when nothing bounds the field.
std::optional<Range> bounds(const FieldDef& def) {
    const bool integer = isIntegerKind(def.kind);
    if (!def.minValue && !def.maxValue) {
        if (integer) return kindRange(def.kind);
        return std::nullopt;
    }
    Range r = integer ? kindRange(def.kind)
                      : Range{-std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    if (def.minValue && *def.minValue > r.low) r.low = *def.minValue;
    if (def.maxValue && *def.maxValue < r.high) r.high = *def.maxValue;
    return r;
}

void checkRange(const Field& f, double value) {
    const auto r = bounds(f.def());
    if (!r || (value >= r->low && value <= r->high)) return;
    const RegionalSettings& rs = regional();
    fail(msg::kOutOfRange, {formatGeneralFloat(value, rs), f.displayName(), formatGeneralFloat(r->low, rs),
                            formatGeneralFloat(r->high, rs)});
}

// The text a text-like value holds (an empty field: the empty text).
std::string textOf(const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v)) return *s;
    return {};
}

}  // namespace

bool Field::isNull() const { return mig::isNull(value()); }

std::string Field::asText() const {
    Value v = value();
    // A text value is its own text: handed over rather than copied.
    if (auto* s = std::get_if<std::string>(&v)) return std::move(*s);
    return formatValue(v, regional());
}

std::string_view Field::readText(std::string& scratch) const {
    scratch = asText();
    return scratch;
}

std::int32_t Field::asInteger() const {
    const FieldKind k = kind();
    if (k == FieldKind::Text) {
        const std::string text = textOf(value());
        if (const auto i = parseInteger(text)) return *i;
        fail(msg::kInvalidInteger, {text});
    }
    if (!isIntegerKind(k) && k != FieldKind::Float && k != FieldKind::Currency && k != FieldKind::Decimal)
        cannotAccess(*this, "Integer");
    const Value v = value();
    if (const auto* i = std::get_if<std::int32_t>(&v)) return *i;
    std::int32_t result = 0;
    if (const auto* d = std::get_if<double>(&v)) {
        if (!roundHalfEven(*d, result)) fail(msg::kInvalidInteger, {formatGeneralFloat(*d, regional())});
        return result;
    }
    if (const auto* d = std::get_if<Decimal>(&v)) {
        if (!roundHalfEven(*d, result)) fail(msg::kInvalidInteger, {formatDecimal(*d, regional().decimalSeparator)});
        return result;
    }
    return 0;  // empty
}

double Field::asFloat() const {
    const FieldKind k = kind();
    if (k == FieldKind::Text) {
        const std::string text = textOf(value());
        if (const auto d = parseFloat(text, regional().decimalSeparator)) return *d;
        fail(msg::kInvalidFloat, {text});
    }
    const bool numeric = isIntegerKind(k) || k == FieldKind::Float || k == FieldKind::Currency || k == FieldKind::Decimal;
    const bool calendar = k == FieldKind::Date || k == FieldKind::Time || k == FieldKind::DateTime;
    if (!numeric && !calendar) cannotAccess(*this, "Float");
    const Value v = value();
    if (const auto* d = std::get_if<double>(&v)) return *d;
    if (const auto* i = std::get_if<std::int32_t>(&v)) return *i;
    if (const auto* d = std::get_if<Decimal>(&v)) return decimalToDouble(*d);
    if (const auto* d = std::get_if<Date>(&v)) return d->days;
    if (const auto* t = std::get_if<Time>(&v)) return static_cast<double>(t->ms) / kMsPerDay;
    if (const auto* d = std::get_if<DateTime>(&v)) return d->value;
    return 0;  // empty
}

void Field::setText(std::string_view text) {
    const FieldKind k = kind();
    switch (k) {
        case FieldKind::Text:
            if (size() > 0 && text.size() > static_cast<std::size_t>(size())) {
                cutting(text);
                text = text.substr(0, size());
            }
            storeText(text);
            return;
        case FieldKind::Memo:
        case FieldKind::Blob:
            storeText(text);
            return;
        default:
            break;
    }
    if (text.empty()) {
        clear();
        return;
    }
    const RegionalSettings& rs = regional();
    switch (k) {
        case FieldKind::SmallInt:
        case FieldKind::Word:
        case FieldKind::Integer: {
            const auto i = parseInteger(text);
            if (!i) fail(msg::kInvalidIntegerForField, {text, displayName()});
            checkRange(*this, *i);
            store(*i);
            return;
        }
        case FieldKind::Float:
        case FieldKind::Currency: {
            const auto d = parseFloat(text, rs.decimalSeparator);
            if (!d) fail(msg::kInvalidFloatForField, {text, displayName()});
            checkRange(*this, *d);
            store(*d);
            return;
        }
        case FieldKind::Decimal: {
            const auto d = parseDecimal(text, rs.decimalSeparator);
            if (!d) fail(msg::kInvalidBcd, {text});
            checkRange(*this, decimalToDouble(*d));
            store(*d);
            return;
        }
        case FieldKind::Date: {
            const auto d = parseDate(text, rs);
            if (!d) fail(msg::kInvalidDate, {text});
            store(*d);
            return;
        }
        case FieldKind::Time: {
            const auto t = parseTime(text, rs);
            if (!t) fail(msg::kInvalidTime, {text});
            store(*t);
            return;
        }
        case FieldKind::DateTime: {
            const auto d = parseDateTime(text, rs);
            if (!d) fail(msg::kInvalidDateTime, {text});
            store(*d);
            return;
        }
        case FieldKind::Timestamp: {
            const auto d = parseDateTime(text, rs);
            const auto ts = d ? toTimestamp(*d) : std::nullopt;
            if (!ts) fail(msg::kInvalidTimestamp, {});
            store(*ts);
            return;
        }
        case FieldKind::Logical: {
            // A leading part of "False" or "True", in either case.
            auto prefixOf = [&](std::string_view word) {
                if (text.size() > word.size()) return false;
                for (std::size_t i = 0; i < text.size(); ++i) {
                    const char c = text[i];
                    const char l = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
                    if (l != word[i]) return false;
                }
                return true;
            };
            if (prefixOf("false")) {
                store(false);
            } else if (prefixOf("true")) {
                store(true);
            } else {
                fail(msg::kInvalidBoolean, {text, displayName()});
            }
            return;
        }
        default:
            store(std::string(text));
            return;
    }
}

void Field::clear() { store(std::monostate{}); }

}  // namespace mig
