#pragma once
// A migration end to end: legacy files written into a folder of the test's own, the data module's
// chains and free query over a fresh embedded database, the pair opened as its preview opens it,
// and the rows the server holds afterwards read through a second attachment.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "legacy/LegacyTable.h"
#include "legacy/LegacyTables.h"
#include "migrations/Migration.h"
#include "migrations/Procedure.h"
#include "tests/support/TargetDb.h"
#include "tests/support/TempFolder.h"
#include "tools/dbf/DbfWriter.h"

namespace mig {
// A kind of master data by its name, in the tests' messages.
inline std::ostream& operator<<(std::ostream& os, MasterData kind) { return os << masterDataName(kind); }
}  // namespace mig

namespace mig::test {

// WIN1252 text from a UTF-8 literal.
std::string w(std::string_view utf8);

// Calls `onRecord` after each record of a run, with the number of records done; never stops it.
class EachRecord : public MigrationObserver {
public:
    explicit EachRecord(std::function<void(std::int64_t done)> onRecord) : onRecord_(std::move(onRecord)) {}
    void started(std::int64_t) override {}
    bool recordDone(std::int64_t done) override {
        onRecord_(done);
        return true;
    }
    void finished() override {}

private:
    std::function<void(std::int64_t)> onRecord_;
};

// Counts the rows a dataset starts to fill (appends) while the counter lives.
class AppendCounter {
public:
    explicit AppendCounter(ClientDataSet& dataSet) : dataSet_(dataSet) {
        id_ = dataSet_.subscribe([this](DataSetEvent e) { appends += e == DataSetEvent::EditStarted ? 1 : 0; });
    }
    ~AppendCounter() { dataSet_.unsubscribe(id_); }
    AppendCounter(const AppendCounter&) = delete;
    AppendCounter& operator=(const AppendCounter&) = delete;

    int appends = 0;

private:
    ClientDataSet& dataSet_;
    int id_ = 0;
};

class MigrationTest : public ::testing::Test {
protected:
    // Writes the legacy table of that component into the legacy folder.
    void writeLegacy(std::string_view component, const dbf::DbfWriter& writer) {
        const LegacyTableInfo* info = findLegacyTable(component);
        ASSERT_NE(info, nullptr);
        writer.writeFiles(legacy.path() + "/" + std::string(info->fileName) + ".DBF");
    }

    // Opens the pair of that kind as its preview does: the legacy table on its first record, the
    // target dataset read anew.
    void preview(MasterData kind) {
        const MigrationDef& def = migrationOf(kind);
        table = std::make_unique<LegacyTable>(std::string(def.legacyTable),
                                              std::string(findLegacyTable(def.legacyTable)->fileName), legacy.path());
        table->Open();
        ClientDataSet& target = targetDb.dataSet(def.targetDataSet);
        target.Close();
        target.Open();
    }
    // Runs the migration of that kind on the pair as it stands, as its migrate button does.
    MigrationReport run(MasterData kind, MigrationObserver* observer = nullptr) {
        const MigrationDef& def = migrationOf(kind);
        return runMigration(def, *table, targetDb.dataSet(def.targetDataSet), targetDb.query, observer);
    }
    // Opens the pair and runs the migration.
    MigrationReport migrate(MasterData kind, MigrationObserver* observer = nullptr) {
        preview(kind);
        return run(kind, observer);
    }
    // The target dataset of that kind's pair.
    ClientDataSet& targetOf(MasterData kind) { return targetDb.dataSet(migrationOf(kind).targetDataSet); }

    ClientDataSet& dataSet(std::string_view name) { return targetDb.dataSet(name); }

    // Every row of a query, each column as text, as committed (valueText); its first column.
    std::vector<std::vector<std::string>> rows(std::string_view sql) { return targetDb.db.rows(sql); }
    std::vector<std::string> column(std::string_view sql) { return targetDb.db.column(sql); }
    void exec(std::string_view sql) { targetDb.db.attach()->executeImmediate(sql); }

    TargetDb targetDb;
    TempFolder legacy;
    std::unique_ptr<LegacyTable> table;
};


}  // namespace mig::test
