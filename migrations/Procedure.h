#pragma once
// The migration procedure, in its two forms: batch (every row cached, one apply after the walk)
// and row by row (append, post, apply and re-read for each record inside a guarded step).
#include <cstdint>
#include <string>

#include "migrations/Migration.h"

namespace mig {

// How a run ended and what the operator is told (WIN1252 texts).
struct MigrationReport {
    enum class End : std::uint8_t { AlreadyLoaded, Completed, Cancelled };
    End end = End::Completed;
    std::string text;
    std::string details;
    std::int64_t migrated = 0;     // rows stored on the server
    std::int64_t filtered = 0;     // records the filter left out
    std::int64_t notMigrated = 0;  // records that failed or were refused
    std::int64_t notReached = 0;   // records after a cancel
};

// Watches a run: told the number of records and each record done; may ask to stop between
// records by returning false.
class MigrationObserver {
public:
    virtual ~MigrationObserver() = default;
    virtual void started(std::int64_t total) = 0;
    virtual bool recordDone(std::int64_t done) = 0;
    virtual void finished() = 0;
};

// Runs one migration on its open legacy table and open target dataset. Failures outside the
// guarded step of the row-by-row form are raised (DataError, DetailedError for a batch apply
// whose refused rows stay cached, AdvisedError for components numbered in an empty components
// table); the report tells the rest.
MigrationReport runMigration(const MigrationDef& def, LegacyTable& legacy, ClientDataSet& target,
                             SQLQuery& query, MigrationObserver* observer = nullptr);

}  // namespace mig
