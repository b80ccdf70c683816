#pragma once
// The bytes a field's value takes in a record of the row store, by the field's kind:
// text, memo and blob their characters; the integer kinds 4 bytes; float, currency and
// date-and-time 8; decimal 8 (unscaled) and 1 (scale); date and time 4; timestamp 12;
// logical 1.
#include <string_view>

#include "target/dataset/RowStore.h"
#include "target/field/FieldKind.h"
#include "target/field/Value.h"

namespace mig {

// Adds `value` (not empty) as field `field` of the record being built.
void encodeValue(RecordBuilder& builder, int field, FieldKind kind, const Value& value);
// The value of a field of that kind from its bytes.
Value decodeValue(std::string_view bytes, FieldKind kind);

}  // namespace mig
