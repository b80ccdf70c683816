// The customers migration (batch form) over 10,000, 25,000 and 50,000 generated legacy
// customers into an empty embedded database: the walk, the nineteen assignments, the posts, one
// apply and the re-read. Beside it, at each size, the plain loop of the driver inserting the same
// rows through one prepared INSERT in one transaction, the values made ready beforehand
// ("insert_only"), and the same loop followed by one fetch of the dataset's SELECT
// ("then_reread"): the batch form re-reads its target after the apply, which the plain loop
// alone does not.
//
//   build/migration_customers
//
// The figure to watch: BM_MigrateCustomers over BM_PlainInsertLoop/insert_only (target: at most
// 1.5), and over BM_PlainInsertLoop/then_reread.
#include <cstdio>

#include "bench/MigrationBench.h"
#include "target/field/Calendar.h"

namespace {

using namespace mig;
using namespace mig::bench;

// The legacy table holds as many customers as the benchmark's argument.
void sizes(benchmark::internal::Benchmark* b) {
    if (smokeRun()) {
        b->Arg(300);
        return;
    }
    for (int n : {10'000, 25'000, 50'000}) b->Arg(n);
}

struct Customer {
    std::vector<std::string> texts;  // the eighteen legacy texts, CLIDTNASC as YYYYMMDD
    int year, month, day;
};

Customer customer(int i) {
    const int year = 1940 + i % 60, month = 1 + i % 12, day = 1 + i % 28;
    char birth[16];
    std::snprintf(birth, sizeof birth, "%04d%02d%02d", year, month, day);
    const std::string n = std::to_string(i);
    return {{n, "CLIENTE NUMERO " + n, "RUA DAS FLORES, " + std::to_string(i % 2000), "CENTRO", "SAO PAULO", "SP",
             "01001-000", "(11) 5555-" + std::to_string(1000 + i % 9000), std::to_string(10000000000LL + i),
             "MG-" + n, birth, "cliente" + n + "@exemplo.com.br", "CLIENTE DESDE 1999",
             i % 10 == 0 ? "ALERGIA A DIPIRONA" : "", i % 2 ? "F" : "M", "RG", "SSP", "SP"},
            year, month, day};
}

// Writes the legacy table of `count` customers, unless it already holds them.
void writeCustomers(int count) {
    static int written = 0;
    if (written == count) return;
    dbf::DbfWriter writer(0x83, {{"CLICODIGO", 'N', 6},  {"CLINOMECO", 'C', 40}, {"CLIENDERE", 'C', 60},
                                 {"CLIBAIRRO", 'C', 40}, {"CLICIDADE", 'C', 30}, {"CLIESTADO", 'C', 2},
                                 {"CLINUMCEP", 'C', 10}, {"CLINUMTEL", 'C', 30}, {"CLINUMCPF", 'C', 14},
                                 {"CLIDOCUME", 'C', 15}, {"CLIDTNASC", 'D'},     {"CLIE_MAIL", 'C', 60},
                                 {"CLIOBSERV", 'C', 60}, {"CLIOBSMAN", 'M'},     {"CLISEXOCL", 'C', 1},
                                 {"CLITPDOCU", 'C', 10}, {"CLIORGEXP", 'C', 10}, {"CLIESTEXP", 'C', 2}});
    for (int i = 1; i <= count; ++i) {
        const Customer c = customer(i);
        writer.add(std::vector<dbf::Cell>(c.texts.begin(), c.texts.end()));
    }
    writeLegacy("Clientes", writer);
    written = count;
}

void BM_MigrateCustomers(benchmark::State& state) {
    const int customers = static_cast<int>(state.range(0));
    writeCustomers(customers);
    for (auto _ : state) {
        state.PauseTiming();
        auto pair = std::make_unique<Pair>(MasterData::Customers);
        state.ResumeTiming();

        const MigrationReport report = pair->run();

        state.PauseTiming();
        if (report.migrated != customers || pair->target.RecordCount() != customers) {
            state.SkipWithError("not every customer was migrated");
        }
        pair.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = customers;
}

// The plain loop; with `reRead`, followed by one fetch of every row of the dataset's SELECT with
// every column read as a value, the least a batch run that re-reads its target must add.
void BM_PlainInsertLoop(benchmark::State& state, bool reRead) {
    const int customers = static_cast<int>(state.range(0));
    const char* sql =
        "insert into CLIENTES (ESTACAO, CODIGO, NOME, ENDERECO, COMPLEMENTO, CIDADE, ESTADO, CEP, FONE, CPF, "
        "IDENTIDADE, DATAANIVERSARIO, REFERENCIA, OBS, SEXO, E_MAIL, TIPODOCUMENTO, ORGAOEXPEDIDOR, "
        "UFEMISSAODOCUMENTO) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    for (auto _ : state) {
        state.PauseTiming();
        auto connection = plainConnection();
        std::vector<std::vector<Value>> rows;
        rows.reserve(static_cast<std::size_t>(customers));
        for (int i = 1; i <= customers; ++i) {
            const Customer c = customer(i);
            const auto& t = c.texts;
            rows.push_back({std::string("00"), std::int32_t{i}, t[1], t[2], t[3], t[4], t[5], t[6], t[7], t[8], t[9],
                            *makeDate(c.year, c.month, c.day), t[11], t[12] + t[13], t[14], std::string(), t[15],
                            t[16], t[17]});
        }
        state.ResumeTiming();

        connection->StartTransaction();
        auto& tx = connection->transaction();
        auto statement = connection->prepare(tx, sql);
        for (const auto& row : rows) {
            if (statement->execute(tx, row) != 1) state.SkipWithError("insert affected no row");
        }
        statement.reset();
        connection->Commit();
        if (reRead) {
            auto readTx = connection->newTransaction();
            auto select = connection->prepare(*readTx, findChain("CLIENTES")->select);
            if (fetchAll(*select, *readTx, true) != customers) state.SkipWithError("wrong row count");
            select.reset();
            readTx->commit();
        }

        state.PauseTiming();
        connection.reset();
        rows = {};
        state.ResumeTiming();
    }
    state.counters["rows"] = customers;
}

BENCHMARK(BM_MigrateCustomers)
    ->Apply(sizes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(pairedRepetitions())
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainInsertLoop, insert_only, false)
    ->Apply(sizes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(pairedRepetitions())
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainInsertLoop, then_reread, true)
    ->Apply(sizes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(pairedRepetitions())
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
