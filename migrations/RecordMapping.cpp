#include "migrations/RecordMapping.h"

#include "legacy/LegacyTable.h"
#include "migrations/MigrationError.h"
#include "target/dataset/ClientDataSet.h"
#include "target/dataset/SQLQuery.h"
#include "target/field/Errors.h"
#include "target/field/RegionalSettings.h"
#include "target/field/Win1252.h"

namespace mig {

namespace {

Field& cached(Field*& slot, RecordSet& set, std::string_view name) {
    if (!slot) slot = &set.FieldByName(name);
    return *slot;
}

}  // namespace

Field& RecordContext::legacyField(std::string_view name) {
    if (!sourceSlot) return legacy.FieldByName(name);
    return cached(*sourceSlot, legacy, name);
}

RecordMapper::RecordMapper(const MigrationDef& def, LegacyTable& legacy, ClientDataSet& target)
    : def_(def), legacy_(legacy), target_(target), context_{legacy, 0}, slots_(def.mapping.size()) {}

void RecordMapper::assign(const Assignment& a, Slots& slots) {
    Field& field = cached(slots.target, target_, a.target);
    const Source& s = a.source;
    switch (s.kind) {
        case Source::Kind::Field:
            field.setText(cached(slots.first, legacy_, s.text).readText(text_));
            break;
        case Source::Kind::Constant:
            field.setText(s.text);
            break;
        case Source::Kind::NumericConstant: {
            std::string text(s.text);
            for (char& c : text) {
                if (c == '.') c = regional().decimalSeparator;
            }
            field.setText(text);
            break;
        }
        case Source::Kind::Join: {
            joined_ = cached(slots.first, legacy_, s.text).readText(text_);
            joined_ += s.separator;
            joined_ += cached(slots.second, legacy_, s.second).readText(text_);
            field.setText(joined_);
            break;
        }
        case Source::Kind::Computed:
            context_.sourceSlot = &slots.first;
            s.compute(context_, field);
            context_.sourceSlot = nullptr;
            break;
    }
}

void RecordMapper::fill() {
    target_.Append();
    if (def_.numbersRows) ++context_.counter;
    for (std::size_t i = 0; i < def_.mapping.size(); ++i) assign(def_.mapping[i], slots_[i]);
}

std::string RecordMapper::key() const {
    if (keys_.size() != def_.keyFields.size()) keys_.assign(def_.keyFields.size(), nullptr);
    std::string key;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (!key.empty()) key += '/';
        if (!keys_[i]) keys_[i] = target_.FindField(def_.keyFields[i]);
        if (keys_[i]) key += keys_[i]->asText();
    }
    return key;
}

std::int32_t readGreatestCode(SQLQuery& query) {
    query.Close();
    query.setSQL("Select Max(CODIGO) as MaiorCodigo from componen");
    query.Open();
    bool noComponent = false;
    std::int32_t greatest = 0;
    try {
        Field& field = query.FieldByName("MaiorCodigo");
        noComponent = field.isNull();
        greatest = field.asInteger();
    } catch (const ConversionError& e) {
        query.Close();
        if (noComponent) {
            throw AdvisedError(e.what(), utf8ToWin1252("A tabela de componentes está vazia; as matérias-primas "
                                                       "(\"Componen - QTR23\") devem ser migradas primeiro."));
        }
        throw;
    } catch (...) {
        query.Close();
        throw;
    }
    query.Close();
    return greatest;
}

}  // namespace mig
