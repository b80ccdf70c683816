#include "target/field/RecordSet.h"

#include "target/field/Errors.h"
#include "target/field/Messages.h"

namespace mig {

Field& RecordSet::FieldByName(std::string_view fieldName) {
    if (Field* field = FindField(fieldName)) return *field;
    throw DataError(name_ + ": " + msg::formatMessage(msg::kFieldNotFound, {fieldName}));
}

}  // namespace mig
