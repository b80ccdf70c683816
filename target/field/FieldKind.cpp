#include "target/field/FieldKind.h"

namespace mig {

std::string_view kindName(FieldKind kind) {
    switch (kind) {
        case FieldKind::Text: return "String";
        case FieldKind::SmallInt: return "SmallInt";
        case FieldKind::Word: return "Word";
        case FieldKind::Integer: return "Integer";
        case FieldKind::Float: return "Float";
        case FieldKind::Currency: return "Currency";
        case FieldKind::Decimal: return "BCD";
        case FieldKind::Date: return "Date";
        case FieldKind::Time: return "Time";
        case FieldKind::DateTime: return "DateTime";
        case FieldKind::Timestamp: return "TimeStamp";
        case FieldKind::Logical: return "Boolean";
        case FieldKind::Memo: return "Memo";
        case FieldKind::Blob: return "Blob";
    }
    return "Unknown";
}

}  // namespace mig
