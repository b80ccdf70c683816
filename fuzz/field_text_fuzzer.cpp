// The text syntaxes of the field layer on any text: the number and date syntaxes, and
// Field::setText on every kind of field under several regional settings. A text that does not
// convert fails with ConversionError and leaves the field as it was; a text that converts reads
// back, and the value read back as text converts again to the same value where the kind's
// text is exact (integers, decimals, dates written with four-digit years).
//
// Input: one byte choosing the regional settings, one the field's kind, one its size and
// precision, then the text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "target/field/DateSyntax.h"
#include "target/field/Errors.h"
#include "target/field/Field.h"
#include "target/field/NumberSyntax.h"
#include "target/field/RegionalSettings.h"

namespace {

class HeldField : public mig::Field {
public:
    explicit HeldField(mig::FieldDef def) : Field(std::move(def)) {}
    mig::Value value() const override { return held_; }
    void store(mig::Value v) override { held_ = std::move(v); }

private:
    mig::Value held_;
};

mig::RegionalSettings settings(std::uint8_t choice) {
    mig::RegionalSettings s;
    switch (choice % 4) {
        case 0: break;  // "m/d/yy", decimal point
        case 1:
            s.decimalSeparator = ',';
            s.shortDateFormat = "dd/mm/yyyy";
            s.longTimeFormat = "hh:mm:ss";
            break;
        case 2:
            s.dateSeparator = '-';
            s.shortDateFormat = "yyyy-mm-dd";
            s.longTimeFormat = "HH:nn:ss.zzz";
            break;
        default:
            s.decimalSeparator = ',';
            s.dateSeparator = '.';
            s.shortDateFormat = "d.m.yy";
            s.longTimeFormat = "h:mm AMPM";
            break;
    }
    return s;
}

bool exactText(mig::FieldKind kind, const mig::RegionalSettings& s) {
    switch (kind) {
        case mig::FieldKind::SmallInt:
        case mig::FieldKind::Word:
        case mig::FieldKind::Integer:
        case mig::FieldKind::Decimal:
        case mig::FieldKind::Text:
            return true;
        case mig::FieldKind::Date:
            return s.shortDateFormat.find("yyyy") != std::string::npos;
        default:
            return false;
    }
}

// Equal values; a decimal keeps the digits it was written with, so "1.50" and "1.5" are the
// same value written twice.
bool sameValue(const mig::Value& a, const mig::Value& b) {
    const auto* x = std::get_if<mig::Decimal>(&a);
    const auto* y = std::get_if<mig::Decimal>(&b);
    if (!x || !y) return a == b;
    auto normal = [](mig::Decimal d) {
        while (d.scale > 0 && d.unscaled % 10 == 0) {
            d.unscaled /= 10;
            --d.scale;
        }
        return std::pair(d.unscaled, d.scale);
    };
    return normal(*x) == normal(*y);
}

void syntaxes(std::string_view text, const mig::RegionalSettings& s) {
    if (const auto i = mig::parseInteger(text)) {
        if (mig::parseInteger(std::to_string(*i)) != i) std::abort();
    }
    (void)mig::parseFloat(text, s.decimalSeparator);
    if (const auto d = mig::parseDecimal(text, s.decimalSeparator)) {
        // At most 18 significant digits, however many places the text wrote.
        if (d->unscaled > 999'999'999'999'999'999 || d->unscaled < -999'999'999'999'999'999 || d->scale < 0) std::abort();
    }
    if (const auto date = mig::parseDate(text, s)) (void)mig::formatDate(*date, s);
    if (const auto time = mig::parseTime(text, s)) (void)mig::formatTime(*time, s);
    if (const auto dt = mig::parseDateTime(text, s)) {
        (void)mig::formatDateTime(*dt, s);
        if (const auto ts = mig::toTimestamp(*dt)) (void)mig::formatTimestamp(*ts, s);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const mig::RegionalSettings s = settings(data[0]);
    mig::setRegional(s);
    const auto kind = static_cast<mig::FieldKind>(data[1] % (static_cast<int>(mig::FieldKind::Blob) + 1));
    const std::string_view text(reinterpret_cast<const char*>(data) + 3, size - 3);
    syntaxes(text, s);

    mig::FieldDef def;
    def.name = "CAMPO";
    def.kind = kind;
    def.size = kind == mig::FieldKind::Decimal ? data[2] % 8 : 1 + data[2] % 64;
    def.precision = kind == mig::FieldKind::Decimal ? def.size + 1 + (data[2] >> 3) % 18 : 0;
    HeldField field(def);
    try {
        field.setText("1");  // a value the failed conversions below must leave alone
    } catch (const mig::ConversionError&) {
    }
    const mig::Value before = field.value();
    try {
        field.setText(text);
    } catch (const mig::ConversionError&) {
        if (field.value() != before) std::abort();
        return 0;
    }
    const std::string shown = field.asText();
    try {
        (void)field.asInteger();
    } catch (const mig::ConversionError&) {
    }
    try {
        (void)field.asFloat();
    } catch (const mig::ConversionError&) {
    }
    if (exactText(kind, s) && !field.isNull()) {
        HeldField again(def);
        again.setText(shown);
        if (!sameValue(again.value(), field.value())) std::abort();
    }
    return 0;
}
