#pragma once
// Something that holds named fields: a legacy table, a target dataset, a query.
#include <string>
#include <string_view>

#include "target/field/Field.h"

namespace mig {

class RecordSet {
public:
    explicit RecordSet(std::string name) : name_(std::move(name)) {}
    virtual ~RecordSet() = default;

    const std::string& name() const { return name_; }

    // The field of that name, compared without regard to case; nullptr when there is none.
    virtual Field* FindField(std::string_view fieldName) = 0;
    // As FindField, but a missing name fails with "<name>: Field '<fieldName>' not found".
    Field& FieldByName(std::string_view fieldName);

private:
    std::string name_;
};

}  // namespace mig
