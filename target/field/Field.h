#pragma once
// A named value slot of a record set, read as text, integer or float and assigned from text.
// The record set owns the storage; a Field reads and writes through value()/store().
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "target/field/FieldKind.h"
#include "target/field/Value.h"

namespace mig {

struct FieldDef {
    std::string name{};
    FieldKind kind = FieldKind::Text;
    int size = 0;       // text: greatest number of characters; decimal: digits after the separator
    int precision = 0;  // decimal: total digits
    bool required = false;
    bool key = false;
    std::optional<double> minValue{};  // no field of the target schema sets these
    std::optional<double> maxValue{};
};

class Field {
public:
    explicit Field(FieldDef def) : def_(std::move(def)) {}
    virtual ~Field() = default;
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    const FieldDef& def() const { return def_; }
    const std::string& name() const { return def_.name; }
    const std::string& displayName() const { return def_.name; }
    FieldKind kind() const { return def_.kind; }
    int size() const { return def_.size; }
    int precision() const { return def_.precision; }

    virtual bool isNull() const;
    std::string asText() const;      // formatValue of the value under regional(); empty field -> ""
    // The text asText gives, without a copy where the record set holds it as text: a view valid
    // until the record set reads or changes again, or `scratch` changes (it may hold the text).
    virtual std::string_view readText(std::string& scratch) const;
    std::int32_t asInteger() const;  // throws ConversionError with the system's messages
    double asFloat() const;
    void setText(std::string_view text);  // converts by the field's kind; keeps the old value on failure
    void clear();

    // Storage of the owning record set.
    virtual Value value() const = 0;
    virtual void store(Value v) = 0;

protected:
    // Told by setText, before a text field keeps the first size() characters of `whole` and
    // drops the rest (without a message, as the conversion rules say). Nothing by default.
    virtual void cutting(std::string_view whole) { (void)whole; }
    // Keeps a text setText has made of the field's text, memo or blob value (a text field's
    // already cut to its size). As store(std::string(text)) by default; a record set that holds
    // its texts in place may copy the text into the storage it already has.
    virtual void storeText(std::string_view text) { store(std::string(text)); }

private:
    FieldDef def_;
};

}  // namespace mig
