// Re-reading a 20,000-row group of the components table through the raw materials dataset,
// beside a plain fetch of the same SELECT through the driver, prepared once: rows fetched and
// nothing else ("rows_only"), or with every column read as a value ("values"). Also: the memory
// a dataset holding 100,000 mostly empty component rows takes.
//
//   build/dataset_reread
//
// Figures to watch: the re-read's time over the plain fetch's (rows_only; target: at most 1.5),
// and the counters of BM_Hold100kComponents: store_MB (the row store), rss_MB (the growth of
// the process's resident memory while the dataset was opened; target: under 100).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchRun.h"
#include "target/dataset/DataSetChain.h"
#include "target/db/SQLConnection.h"
#include "tests/support/SqlScript.h"

namespace {

namespace fs = std::filesystem;
using mig::Value;
using mig::bench::pairedRepetitions;
using mig::bench::sized;

const int kGroup = sized(20'000, 200);
const int kOthers = sized(5'000, 50);
const int kHeld = sized(100'000, 1'000);

struct Database {
    std::string folder;
    std::string file;
    Database(int rowsOfGroup, int rowsOfOthers, bool sparse) {
        char pattern[] = "/tmp/mig-bench-reread-XXXXXX";
        folder = ::mkdtemp(pattern);
        file = folder + "/bench.fdb";
        mig::db::AttachParams p;
        p.database = file;
        p.user = "SYSDBA";
        auto att = mig::test::createTargetDatabase(p);
        auto tx = att->startTransaction();
        const char* full =
            "insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, FAMILIA, UNID, CUSTOUNITUS, CUSTOUNITR, "
            "PRECOUS, PRECOR, QDEESTOQUE, ESTOQUECRITICO, ESTOQUEMAXIMO, FABRICANTE, DENSIDADE, "
            "FATORCORRECAO, UNID_VENDA, CUSTOFIXO) values (?, ?, ?, 'ANALGESICOS', 'G', ?, ?, ?, ?, ?, 0, 0, "
            "'FARMA LTDA', 1, 1, 'G', 0)";
        const char* few = "insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, ESTOQUECRITICO, ESTOQUEMAXIMO) "
                          "values (?, ?, ?, 0, 0)";
        auto st = att->prepare(*tx, sparse ? few : full);
        for (int i = 0; i < rowsOfGroup + rowsOfOthers; ++i) {
            const std::string group = i < rowsOfGroup ? "MP" : "CAP";
            std::vector<Value> v{std::to_string(100000 + i), "COMPONENTE DE TESTE NUMERO " + std::to_string(i), group};
            if (!sparse) {
                const mig::Decimal cost{static_cast<std::int64_t>(i % 5000) * 1'000'000 + 12345678, 8, 0};
                v.insert(v.end(), {cost, cost, cost, cost, static_cast<double>(i % 700) / 3});
            }
            st->execute(*tx, v);
        }
        st.reset();
        tx->commit();
    }
    ~Database() { fs::remove_all(folder); }
};

// One database for the re-read and both plain fetches.
const Database& groupDatabase() {
    static const Database db(kGroup, kOthers, false);
    return db;
}

void BM_ReReadGroup(benchmark::State& state) {
    const Database& db = groupDatabase();
    mig::db::SQLConnection connection;
    connection.Params().setValue("Database", db.file);
    mig::DataSetChain chain(*mig::findChain("COMPONEN"), connection);
    chain.dataSet.Open();
    for (auto _ : state) {
        chain.dataSet.Refresh();
        benchmark::DoNotOptimize(chain.dataSet.RecordCount());
    }
    if (chain.dataSet.RecordCount() != kGroup) state.SkipWithError("wrong row count");
    state.counters["rows"] = chain.dataSet.RecordCount();
}

void BM_PlainFetchOfTheSameSelect(benchmark::State& state, bool readValues) {
    const Database& db = groupDatabase();
    mig::db::SQLConnection connection;
    connection.Params().setValue("Database", db.file);
    auto prepareTx = connection.newTransaction();
    auto statement = connection.prepare(*prepareTx, mig::findChain("COMPONEN")->select);
    prepareTx->commit();
    const int columns = static_cast<int>(statement->columns().size());
    int rows = 0;
    for (auto _ : state) {
        auto tx = connection.newTransaction();
        statement->open(*tx);
        rows = 0;
        while (statement->fetch()) {
            if (readValues) {
                for (int c = 0; c < columns; ++c) benchmark::DoNotOptimize(statement->value(c));
            }
            ++rows;
        }
        statement->close();
        tx->commit();
    }
    if (rows != kGroup) state.SkipWithError("wrong row count");
    state.counters["rows"] = rows;
}

double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return 0;
}

void BM_Hold100kComponents(benchmark::State& state) {
    static const Database db(kHeld, 0, true);
    mig::db::SQLConnection connection;
    connection.Params().setValue("Database", db.file);
    connection.Open();
    double storeMb = 0, rssMb = 0;
    for (auto _ : state) {
        mig::DataSetChain chain(*mig::findChain("COMPONEN"), connection);
        const double before = residentMegabytes();
        chain.dataSet.Open();
        rssMb = residentMegabytes() - before;
        storeMb = static_cast<double>(chain.dataSet.storeBytes()) / (1024.0 * 1024.0);
        if (chain.dataSet.RecordCount() != kHeld) state.SkipWithError("wrong row count");
    }
    state.counters["store_MB"] = storeMb;
    state.counters["rss_MB"] = rssMb;
}

BENCHMARK(BM_ReReadGroup)->Unit(benchmark::kMillisecond)->MinTime(mig::bench::minTime(1.0))->Repetitions(pairedRepetitions());
BENCHMARK_CAPTURE(BM_PlainFetchOfTheSameSelect, rows_only, false)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(mig::bench::minTime(1.0))
    ->Repetitions(pairedRepetitions());
BENCHMARK_CAPTURE(BM_PlainFetchOfTheSameSelect, values, true)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(mig::bench::minTime(1.0))
    ->Repetitions(pairedRepetitions());
BENCHMARK(BM_Hold100kComponents)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
