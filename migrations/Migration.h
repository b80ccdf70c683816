#pragma once
// A migration as data: the kind of master data it moves, its legacy table, target dataset,
// already-loaded message, form, ordered field mapping and (physicians only) record filter. One
// procedure (Procedure.h) runs them all.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "migrations/MasterData.h"

namespace mig {

class Field;
class LegacyTable;
class ClientDataSet;
class SQLQuery;

enum class MigrationForm : std::uint8_t { Batch, RowByRow };

// What a computed source sees while one record is migrated.
struct RecordContext {
    LegacyTable& legacy;
    std::int64_t counter = 0;  // the code counter of the components numbered by the migration
    // The legacy field the computing assignment reads, found by name at its first use and kept
    // while the table stays open (set by the procedure for each assignment).
    Field** sourceSlot = nullptr;
    Field& legacyField(std::string_view name);
};

// Where the value of one target field comes from.
struct Source {
    enum class Kind : std::uint8_t { Field, Constant, NumericConstant, Join, Computed };
    Kind kind = Kind::Constant;
    std::string_view text;       // Field: legacy field; Constant: the text; Join: first field
    std::string_view second;     // Join: second field
    std::string_view separator;  // Join: between the two texts
    // Computed: sets the target field itself (from text, or a value carried as it is).
    void (*compute)(RecordContext& context, Field& target) = nullptr;
};

// A legacy field's text.
constexpr Source fromField(std::string_view legacyField) { return {Source::Kind::Field, legacyField, {}, {}, nullptr}; }
// A fixed text.
constexpr Source constant(std::string_view text) { return {Source::Kind::Constant, text, {}, {}, nullptr}; }
// A number written with "." that reaches the field with the locale's decimal separator.
constexpr Source number(std::string_view text) { return {Source::Kind::NumericConstant, text, {}, {}, nullptr}; }
// Two legacy texts, as read, with `separator` between them.
constexpr Source join(std::string_view first, std::string_view second, std::string_view separator = {}) {
    return {Source::Kind::Join, first, second, separator, nullptr};
}
constexpr Source computed(void (*compute)(RecordContext&, Field&)) { return {Source::Kind::Computed, {}, {}, {}, compute}; }

struct Assignment {
    std::string_view target;  // target field
    Source source;
};

struct MigrationDef {
    MasterData kind = MasterData::PharmaceuticalForms;
    std::string_view legacyTable;    // "FormaFarma"
    std::string_view targetDataSet;  // "FormaFar"
    std::string_view alreadyLoaded;  // UTF-8
    MigrationForm form = MigrationForm::Batch;
    std::span<const Assignment> mapping;
    // Target fields that name a row for the operator ("CODIGO"), in the reports of rows not migrated.
    std::span<const std::string_view> keyFields;
    // Physicians only: whether a record is migrated at all. Read outside the guarded step.
    bool (*filter)(LegacyTable& legacy) = nullptr;
    // Capsules, vehicles and packaging: rows numbered after the greatest code of the components
    // table, read through the free query before anything else.
    bool numbersRows = false;
    // With a filter: the legacy field it reads and, in Portuguese (UTF-8), what a record must
    // hold to be migrated, for the check's report of the records left out.
    std::string_view filterField{};
    std::string_view filterRule{};
};

// The twelve migrations, in the order of the main window's rows (that of kMasterData).
std::span<const MigrationDef> migrationDefs();
// The migration of that kind of master data.
const MigrationDef& migrationOf(MasterData kind);

}  // namespace mig
