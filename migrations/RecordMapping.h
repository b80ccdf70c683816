#pragma once
// One legacy record made into the row being filled of a target dataset, as every migration does
// it: append, number (the components numbered after the greatest code), and the mapping's
// assignments in order. The migration fills its target dataset; the check of a migration fills
// a dataset of the same fields that is never applied, with this same code.
#include <cstdint>
#include <string>
#include <vector>

#include "migrations/Migration.h"

namespace mig {

class ClientDataSet;
class Field;
class LegacyTable;
class RecordSet;
class SQLQuery;

class RecordMapper {
public:
    // `target` must stay open while the mapper fills it: the fields found are kept.
    RecordMapper(const MigrationDef& def, LegacyTable& legacy, ClientDataSet& target);

    // The code counter of the numbered components (the greatest code, before the first row).
    void setCounter(std::int64_t counter) { context_.counter = counter; }
    std::int64_t counter() const { return context_.counter; }

    // Appends a row to the target, numbers it when the migration numbers its rows, and runs the
    // assignments on the legacy table's current record. A failure leaves the row being filled
    // with what was assigned before it.
    void fill();
    // The key fields of the row being filled, as the operator reads them ("000042", "00/17").
    std::string key() const;

private:
    // The fields an assignment reads and writes, looked up by name at their first use and kept
    // for the rest of the run: both record sets keep their fields while they stay open. A name
    // that is not found is looked up (and fails) again for every record.
    struct Slots {
        Field* target = nullptr;
        Field* first = nullptr;
        Field* second = nullptr;
    };
    void assign(const Assignment& a, Slots& slots);

    const MigrationDef& def_;
    LegacyTable& legacy_;
    ClientDataSet& target_;
    RecordContext context_;
    std::vector<Slots> slots_;
    mutable std::vector<Field*> keys_;  // the key fields, once found
    std::string joined_;                // a joined text, its storage kept from record to record
    std::string text_;                  // a legacy text converted on reading, the same
};

// The greatest code of the whole components table, through the free query, which is closed
// again however the reading ends. A code that is no number fails with the conversion's message;
// so does an empty table (AdvisedError, with the advice to migrate the raw materials first).
std::int32_t readGreatestCode(SQLQuery& query);

}  // namespace mig
