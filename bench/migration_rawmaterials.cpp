// The raw-materials migration (row by row: for each record one append, thirteen assignments,
// post, apply and re-read of the group MP) over 1,000 to 5,000 generated legacy raw materials
// into an empty embedded database. Beside it, the plain cost of the same work through the
// driver: for each record one execution of a prepared INSERT, one commit and one fetch of every
// row of the group's SELECT, with every column read as a value ("values") or only fetched
// ("fetch_only").
//
//   build/migration_rawmaterials
//
// The figures to watch: the migration's time over the plain cost at each size (target: at most
// 1.5), and how both grow with the number of records (the re-reads make them grow with its
// square).
#include <chrono>

#include "bench/MigrationBench.h"
#include "target/field/NumberFormat.h"

namespace {

using namespace mig;
using namespace mig::bench;

constexpr int kMost = 5'000;

struct RawMaterial {
    int code;
    std::string name, unit, factor, density, minimum, scientific;
};

RawMaterial rawMaterial(int i) {
    const std::string n = std::to_string(i);
    return {i,
            "MATERIA PRIMA NUMERO " + n,
            i % 3 ? "g" : "mg",
            i % 4 ? "1.05" : "0",
            i % 5 ? "0.98" : "",
            std::to_string(i % 100),
            "NOMEN SCIENTIFICUM " + n};
}

// The legacy table of the first `count` raw materials.
void writeRawMaterials(int count) {
    static int written = 0;
    if (written == count) return;
    dbf::DbfWriter writer(0x03, {{"MATCODIGO", 'N', 7},
                                 {"MATNOMECO", 'C', 70},
                                 {"MATUNICOM", 'C', 4},
                                 {"MATFATCOR", 'N', 10, 4},
                                 {"MATDENSID", 'N', 10, 4},
                                 {"MATESTMIN", 'N', 10, 2},
                                 {"MATNOMECI", 'C', 40}});
    for (int i = 1; i <= count; ++i) {
        const RawMaterial m = rawMaterial(i);
        writer.add({std::to_string(m.code), m.name, m.unit, m.factor, m.density, m.minimum, m.scientific});
    }
    writeLegacy("Componen", writer);
    written = count;
}

Decimal decimal(std::int64_t unscaled, int scale) { return Decimal{unscaled, static_cast<std::int8_t>(scale), 0}; }

void perRecord(benchmark::State& state, double seconds, int records) {
    state.counters["records"] = records;
    state.counters["us_per_record"] = seconds * 1e6 / records;
}

void BM_MigrateRawMaterials(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    writeRawMaterials(count);
    for (auto _ : state) {
        Pair pair(MasterData::RawMaterials);
        const auto start = std::chrono::steady_clock::now();
        const MigrationReport report = pair.run();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        perRecord(state, seconds, count);
        if (report.migrated != count || pair.target.RecordCount() != count) {
            state.SkipWithError("not every raw material was migrated");
        }
    }
}

void BM_PlainInsertCommitFetch(benchmark::State& state, bool readValues) {
    const int count = static_cast<int>(state.range(0));
    const char* insert =
        "insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, UNID, CUSTOUNITUS, CUSTOUNITR, MULTIPLICADOR, "
        "DIVISORUNID, FATORCORRECAO, DENSIDADE, ESTOQUECRITICO, ESTOQUEMAXIMO, NOMECIENTIFICO) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    for (auto _ : state) {
        auto connection = plainConnection();
        std::vector<std::vector<Value>> rows;
        for (int i = 1; i <= count; ++i) {
            const RawMaterial m = rawMaterial(i);
            rows.push_back({formatPattern000000(m.code), m.name, std::string("MP"), m.unit, decimal(1000, 0),
                            decimal(1000, 0), decimal(7, 0), decimal(1000, 0),
                            m.factor == "0" ? decimal(1, 0) : decimal(105, 2),
                            m.density.empty() ? decimal(1, 0) : decimal(98, 2), static_cast<double>(i % 100),
                            1000000.0, m.scientific});
        }
        insertCommitFetchEach(state, *connection, insert, findChain("COMPONEN")->select, rows, readValues);
    }
}

// Each size runs the migration and then the plain cost, on the same legacy file.
void sizes(benchmark::internal::Benchmark* b) {
    if (smokeRun()) {
        b->Arg(50);
        return;
    }
    for (int n = 1'000; n <= kMost; n += 1'000) b->Arg(n);
}

BENCHMARK(BM_MigrateRawMaterials)
    ->Apply(sizes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_PlainInsertCommitFetch, values, true)
    ->Apply(sizes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_PlainInsertCommitFetch, fetch_only, false)
    ->Apply(sizes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
