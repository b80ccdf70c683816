#pragma once
// "Conferir migração": what a migration would do to each record of its legacy table, found
// before anything is written. The check walks the legacy table through the migration's own
// mapping code (RecordMapping.h), into a dataset of the target's fields that is never applied,
// and holds each row against what the server will take: its columns' sizes, its NOT NULL
// columns and its primary and unique keys, read from its system tables, and the keys its rows
// already hold. It appends nothing to the target dataset, sends no INSERT and writes nothing.
#include <cstdint>
#include <string>
#include <vector>

#include "migrations/Migration.h"
#include "migrations/Procedure.h"

namespace mig {

class ClientDataSet;
class LegacyTable;
class SQLQuery;

// One thing the check found (WIN1252 texts).
struct CheckFinding {
    std::int64_t record = 0;  // 1-based among the records the legacy table serves; 0: the whole table
    std::string key;          // the row's key as the migration names it; empty when it has none
    std::string field;        // the target field concerned; empty when none
    std::string text;         // what the migration would do, in Portuguese
};

struct CheckReport {
    enum class End : std::uint8_t { Completed, Cancelled };
    End end = End::Completed;
    std::int64_t records = 0;   // records walked
    std::int64_t migrated = 0;  // records that would become stored rows
    std::int64_t cut = 0;       // records with a text cut to its field's size
    std::int64_t refused = 0;   // records that would not become stored rows, the filtered apart
    std::int64_t filtered = 0;  // records the filter would leave out
    // "Registros: N; seriam migrados: N; ..." (or the cancel's message).
    std::string summary;
    std::vector<CheckFinding> findings;

    // One line per finding: "Registro 3 (000042): ..." or the table's own lines.
    std::string details() const;
    // The findings as a CSV file (UTF-8 with a byte order mark, ";" between columns, CR LF).
    std::string csv() const;
};

// Checks the migration on its open legacy table and open target dataset; `query` reads the
// server (the greatest code of the components, the system tables, the keys held). The observer
// sees the walk as a migration's and may cancel it. Failures the migration would raise before
// walking (the server unreachable, the legacy file changed) are raised.
CheckReport runCheck(const MigrationDef& def, LegacyTable& legacy, ClientDataSet& target, SQLQuery& query,
                     MigrationObserver* observer = nullptr);

}  // namespace mig
