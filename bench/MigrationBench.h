#pragma once
// What the migration benchmarks share: a folder of their own, an empty target database made
// once from sql/schema.sql and copied for each run, the data module over such a copy, and the
// pair of one kind of master data opened as its preview opens it.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/UDM.h"
#include "bench/BenchRun.h"
#include "legacy/LegacyTable.h"
#include "legacy/LegacyTables.h"
#include "migrations/Migration.h"
#include "migrations/Procedure.h"
#include "target/dataset/ChainDef.h"
#include "target/db/SQLConnection.h"
#include "tests/support/SqlScript.h"
#include "tools/dbf/DbfWriter.h"

namespace mig::bench {

namespace fs = std::filesystem;

struct Folder {
    std::string path;
    Folder() {
        char pattern[] = "/tmp/mig-bench-migration-XXXXXX";
        path = ::mkdtemp(pattern);
        fs::create_directories(path + "/legacy");
    }
    ~Folder() { fs::remove_all(path); }
    std::string legacy() const { return path + "/legacy"; }
};

inline Folder& folder() {
    static Folder f;
    return f;
}

// An empty database with the target tables, made once; each run copies it.
inline const std::string& templateDatabase() {
    static const std::string file = [] {
        const std::string f = folder().path + "/template.fdb";
        db::AttachParams p;
        p.database = f;
        p.user = "SYSDBA";
        test::createTargetDatabase(p);
        // Without synchronous page writes the disk's latency (shared with whatever else runs)
        // stays out of both timings; each copy inherits the setting.
        (void)std::system(("gfix -user SYSDBA -write async " + f + " 2>/dev/null").c_str());
        return f;
    }();
    return file;
}

inline std::string freshDatabase() {
    const std::string file = folder().path + "/run.fdb";
    fs::copy_file(templateDatabase(), file, fs::copy_options::overwrite_existing);
    return file;
}

// Writes the legacy table of that component into the legacy folder.
inline void writeLegacy(std::string_view component, const dbf::DbfWriter& writer) {
    writer.writeFiles(folder().legacy() + "/" + std::string(findLegacyTable(component)->fileName) + ".DBF");
}

// The data module over a fresh copy of the empty database, the pair of one kind of master data
// open.
struct Pair {
    const MigrationDef& def;
    TDM dm;
    LegacyTable table;
    ClientDataSet& target;

    explicit Pair(MasterData kind)
        : def(migrationOf(kind)),
          table(std::string(def.legacyTable), std::string(findLegacyTable(def.legacyTable)->fileName),
                folder().legacy()),
          target(dm.chain(def.targetDataSet)->dataSet) {
        dm.SQLConnection1.Params().setValue("DataBase", freshDatabase());
        table.Open();
        target.Open();
    }
    MigrationReport run() { return runMigration(def, table, target, dm.SQLQuery1); }
};

// A connection of the driver over a fresh copy of the empty database.
inline std::unique_ptr<db::SQLConnection> plainConnection() {
    auto connection = std::make_unique<db::SQLConnection>();
    connection->Params().setValue("DataBase", freshDatabase());
    connection->Open();
    return connection;
}

// Every row of a prepared SELECT, each column read as a field value when `readValues` (what a
// re-read must at least do with the rows it receives), else only fetched (the engine's and the
// client library's share alone).
inline int fetchAll(db::Statement& select, db::Transaction& tx, bool readValues) {
    select.open(tx);
    int rows = 0;
    const int columns = static_cast<int>(select.columns().size());
    while (select.fetch()) {
        if (readValues) {
            for (int c = 0; c < columns; ++c) benchmark::DoNotOptimize(select.value(c));
        }
        ++rows;
    }
    select.close();
    return rows;
}

// The plain cost of a row-by-row migration over `rows`: for each row one execution of the
// prepared `insert` in a transaction of its own, its commit, and one fetch of every row of the
// dataset's `select` (see fetchAll). Sets the iteration's time and the per-record counters.
inline void insertCommitFetchEach(benchmark::State& state, db::SQLConnection& connection, std::string_view insert,
                                  std::string_view select, const std::vector<std::vector<Value>>& rows,
                                  bool readValues) {
    auto prepareTx = connection.newTransaction();
    auto statement = connection.prepare(*prepareTx, insert);
    auto reader = connection.prepare(*prepareTx, select);
    prepareTx->commit();

    const auto start = std::chrono::steady_clock::now();
    int fetched = 0;
    for (const auto& row : rows) {
        auto tx = connection.newTransaction();
        if (statement->execute(*tx, row) != 1) state.SkipWithError("insert affected no row");
        tx->commit();
        auto readTx = connection.newTransaction();
        fetched = fetchAll(*reader, *readTx, readValues);
        readTx->commit();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(seconds);
    const auto records = static_cast<int>(rows.size());
    state.counters["records"] = records;
    state.counters["us_per_record"] = seconds * 1e6 / records;
    if (fetched != records) state.SkipWithError("wrong row count");
}

}  // namespace mig::bench
