// The physicians migration (row by row: for each record one append, post, apply and re-read of
// the whole table) over 5,000 generated legacy physicians into an empty embedded database.
// Beside it, the plain cost of the same work through the driver: for each record one execution
// of a prepared INSERT, one commit and one fetch of every row of the dataset's SELECT, with every
// column read as a value ("values") or only fetched ("fetch_only").
//
//   build/migration_physicians
//
// The figures to watch: us_per_record of both, and their ratio.
#include <chrono>

#include "bench/MigrationBench.h"

namespace {

using namespace mig;
using namespace mig::bench;

const int kPhysicians = sized(5'000, 100);

std::vector<std::string> physician(int i) {
    const std::string n = std::to_string(i);
    return {n, "CRM" + n, "MEDICO NUMERO " + n, "AV BOA VIAGEM, " + std::to_string(i % 3000), "BOA VIAGEM",
            "RECIFE", "PE", "51020-000", "(81) 3333-" + std::to_string(1000 + i % 9000)};
}

void writePhysicians() {
    static const bool written = [] {
        dbf::DbfWriter writer(0x03, {{"MEDCODIGO", 'N', 5},
                                     {"MEDCRNUME", 'C', 10},
                                     {"MEDNOMECO", 'C', 40},
                                     {"MEDENDERE", 'C', 60},
                                     {"MEDBAIRRO", 'C', 30},
                                     {"MEDCIDADE", 'C', 30},
                                     {"MEDESTADO", 'C', 2},
                                     {"MEDNUMCEP", 'C', 10},
                                     {"MEDNUMTEL", 'C', 30}});
        for (int i = 1; i <= kPhysicians; ++i) {
            const auto t = physician(i);
            writer.add(std::vector<dbf::Cell>(t.begin(), t.end()));
        }
        writeLegacy("Medicos", writer);
        return true;
    }();
    (void)written;
}

void perRecord(benchmark::State& state, double seconds) {
    state.counters["records"] = kPhysicians;
    state.counters["us_per_record"] = seconds * 1e6 / kPhysicians;
}

void BM_MigratePhysicians(benchmark::State& state) {
    writePhysicians();
    for (auto _ : state) {
        Pair pair(MasterData::Physicians);
        const auto start = std::chrono::steady_clock::now();
        const MigrationReport report = pair.run();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        perRecord(state, seconds);
        if (report.migrated != kPhysicians || pair.target.RecordCount() != kPhysicians) {
            state.SkipWithError("not every physician was migrated");
        }
    }
}

void BM_PlainInsertCommitFetch(benchmark::State& state, bool readValues) {
    const char* insert =
        "insert into MEDICOS (CRM, ESPECIALIDADE, NOME, ENDERECO, COMPLEMENTO, CIDADE, ESTADO, CEP, TELEFONES) "
        "values (?, ?, ?, ?, ?, ?, ?, ?, ?)";
    for (auto _ : state) {
        auto connection = plainConnection();
        std::vector<std::vector<Value>> rows;
        for (int i = 1; i <= kPhysicians; ++i) {
            const auto t = physician(i);
            rows.push_back({t[1], std::string("M\xE9" "dico"), t[2], t[3], t[4], t[5], t[6], t[7], t[8]});
        }
        insertCommitFetchEach(state, *connection, insert, findChain("MEDICOS")->select, rows, readValues);
    }
}

BENCHMARK(BM_MigratePhysicians)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_PlainInsertCommitFetch, values, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_PlainInsertCommitFetch, fetch_only, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
