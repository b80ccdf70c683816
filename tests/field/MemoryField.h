#pragma once
// A field over a plain Value and a record set over a list of them, for the field layer's tests.
#include <memory>
#include <string>
#include <vector>

#include "target/field/FieldName.h"
#include "target/field/RecordSet.h"
#include "target/field/RegionalSettings.h"

namespace mig::test {

class MemoryField : public Field {
public:
    explicit MemoryField(FieldDef def) : Field(std::move(def)) {}
    MemoryField(std::string name, FieldKind kind, int size = 0, int precision = 0)
        : Field(FieldDef{std::move(name), kind, size, precision}) {}

    Value value() const override { return value_; }
    void store(Value v) override {
        value_ = std::move(v);
        ++stores;
    }
    int stores = 0;

private:
    Value value_;
};

class MemoryRecordSet : public RecordSet {
public:
    using RecordSet::RecordSet;
    MemoryField& add(std::string name, FieldKind kind, int size = 0) {
        fields_.push_back(std::make_unique<MemoryField>(std::move(name), kind, size));
        return *fields_.back();
    }
    Field* FindField(std::string_view name) override {
        for (auto& f : fields_)
            if (sameFieldName(f->name(), name)) return f.get();
        return nullptr;
    }

private:
    std::vector<std::unique_ptr<MemoryField>> fields_;
};

// Settings of the tests: the defaults, and a comma locale writing day/month/year.
inline RegionalSettings defaults() { return RegionalSettings{}; }
inline RegionalSettings comma() {
    RegionalSettings s;
    s.decimalSeparator = ',';
    s.shortDateFormat = "dd/mm/yyyy";
    s.longTimeFormat = "hh:mm:ss";
    return s;
}

}  // namespace mig::test
