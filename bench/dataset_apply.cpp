// Applying 50,000 cached rows of the customers dataset, beside a plain loop of the same
// prepared INSERT through the driver in one transaction, with the same affected-row check.
// Each iteration works on a fresh copy of an empty embedded database.
//
//   build/dataset_apply
//
// The apply's time over the plain loop's is the figure to watch (target: at most 1.3).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/BenchRun.h"
#include "bench/MigrationBench.h"
#include "target/dataset/DataSetChain.h"
#include "target/dataset/Resolver.h"
#include "target/db/SQLConnection.h"

namespace {

using mig::ClientDataSet;
using mig::Value;

const int kRows = mig::bench::sized(50'000, 500);

// The customers' fields a migration fills, and the text each row gives them.
const char* const kFields[] = {"ESTACAO", "CODIGO",  "NOME", "ENDERECO", "CIDADE", "ESTADO", "CEP",
                               "FONE",    "CPF",     "VALORTOTAL", "DATAANIVERSARIO", "OBS", "TIPO"};

std::vector<std::string> rowTexts(int i) {
    return {"01",
            std::to_string(i + 1),
            "CLIENTE NUMERO " + std::to_string(i),
            "RUA DAS FLORES, " + std::to_string(i % 2000),
            "SAO PAULO",
            "SP",
            "01001-000",
            "(11) 5555-" + std::to_string(1000 + i % 9000),
            std::to_string(10000000000LL + i),
            std::to_string(i % 1000) + ".50",
            std::to_string(1 + i % 12) + "/" + std::to_string(1 + i % 28) + "/1970",
            "",
            "1"};
}

void BM_ApplyCachedRows(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto connection = std::make_unique<mig::db::SQLConnection>();
        connection->Params().setValue("Database", mig::bench::freshDatabase());
        auto chain = std::make_unique<mig::DataSetChain>(*mig::findChain("CLIENTES"), *connection);
        ClientDataSet& ds = chain->dataSet;
        ds.Open();
        std::vector<mig::Field*> fields;
        for (const char* name : kFields) fields.push_back(&ds.FieldByName(name));
        for (int i = 0; i < kRows; ++i) {
            ds.Append();
            const auto texts = rowTexts(i);
            for (std::size_t f = 0; f < fields.size(); ++f) fields[f]->setText(texts[f]);
            ds.Post();
        }
        state.ResumeTiming();

        const int refused = ds.ApplyUpdates(-1);

        state.PauseTiming();
        if (refused != 0) state.SkipWithError("rows refused");
        chain.reset();
        connection.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = kRows;
}

void BM_PlainPreparedInsertLoop(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto connection = std::make_unique<mig::db::SQLConnection>();
        connection->Params().setValue("Database", mig::bench::freshDatabase());
        // The values the dataset would hold, made ready beforehand.
        std::vector<std::vector<Value>> rows;
        rows.reserve(kRows);
        for (int i = 0; i < kRows; ++i) {
            const auto t = rowTexts(i);
            rows.push_back({t[0], std::int32_t{i + 1}, t[2], t[3], t[4], t[5], t[6], t[7], t[8],
                            mig::Decimal{(i % 1000) * 100 + 50, 2, 0}, mig::Date{25569 + i % 300}, std::string(),
                            std::int32_t{1}});
        }
        mig::FieldMask listed;
        std::vector<mig::ResolverField> resolverFields;
        for (const auto& fieldSpec : mig::findChain("CLIENTES")->clientFields) resolverFields.push_back({std::string(fieldSpec.name)});
        for (const char* name : kFields)
            for (std::size_t i = 0; i < resolverFields.size(); ++i)
                if (resolverFields[i].name == name) listed.set(i);
        const mig::Resolver resolver(mig::findChain("CLIENTES")->select, resolverFields, '"');
        const std::string sql = resolver.insertSql(listed);
        connection->Open();
        state.ResumeTiming();

        connection->StartTransaction();
        auto& tx = connection->transaction();
        auto statement = connection->prepare(tx, sql);
        for (const auto& row : rows)
            if (statement->execute(tx, row) != 1) state.SkipWithError("insert affected no row");
        statement.reset();
        connection->Commit();

        state.PauseTiming();
        connection.reset();
        rows = {};
        state.ResumeTiming();
    }
    state.counters["rows"] = kRows;
}

BENCHMARK(BM_ApplyCachedRows)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(mig::bench::pairedRepetitions())
    ->UseRealTime();
BENCHMARK(BM_PlainPreparedInsertLoop)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(mig::bench::pairedRepetitions())
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
