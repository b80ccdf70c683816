// The driver's row traffic on an embedded database: inserting rows through one prepared
// statement, and reading a whole table with every column as a field value (what a dataset's
// re-read does after each row of a row-by-row migration).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "target/db/Attachment.h"

namespace {

using mig::Decimal;
using mig::Timestamp;
using mig::Value;
using mig::db::Attachment;

// A table shaped like the components table: texts, scaled numerics, a double, a timestamp and
// a text blob.
constexpr const char* kTable =
    "create table ROWS_BENCH (CODIGO varchar(20) not null primary key, COMPONENTE varchar(70), "
    "GRUPO varchar(5), FAMILIA varchar(30), UNID varchar(4), CUSTOUNITUS numeric(15,8), "
    "PRECOR numeric(15,8), TAXA numeric(15,2), QDEESTOQUE double precision, VALIDADE timestamp, "
    "FICHATECNICA blob sub_type text)";
constexpr const char* kInsert =
    "insert into ROWS_BENCH (CODIGO, COMPONENTE, GRUPO, FAMILIA, UNID, CUSTOUNITUS, PRECOR, TAXA, "
    "QDEESTOQUE, VALIDADE, FICHATECNICA) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

struct Database {
    std::string folder;
    std::unique_ptr<Attachment> att;
    Database() {
        char pattern[] = "/tmp/mig-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
        mig::db::AttachParams p;
        p.database = folder + "/bench.fdb";
        p.user = "SYSDBA";
        att = Attachment::create(p);
        att->executeImmediate(kTable);
    }
    ~Database() {
        att.reset();
        std::filesystem::remove_all(folder);
    }
};

Database& database() {
    static Database db;
    return db;
}

std::vector<Value> rowValues(int i) {
    return {std::to_string(i),
            std::string("COMPONENTE DE TESTE ") + std::to_string(i),
            std::string("M"),
            std::string("FAMILIA"),
            std::string("G"),
            Decimal{123456789 + i, 8, 9},
            Decimal{987654321, 8, 9},
            Decimal{350, 2, 3},
            1.5 * i,
            Timestamp{2024, 5, 17, 10, 30, 0, 0},
            std::string(200, 'x')};
}

void insertRows(Attachment& att, int n) {
    auto tx = att.startTransaction();
    auto st = att.prepare(*tx, kInsert);
    for (int i = 0; i < n; ++i) st->execute(*tx, rowValues(i));
    st.reset();
    tx->commit();
}

void BM_InsertPrepared(benchmark::State& state) {
    Attachment& att = *database().att;
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        insertRows(att, n);
        state.PauseTiming();
        att.executeImmediate("delete from ROWS_BENCH");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_InsertPrepared)->Arg(1000)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ReadWholeTable(benchmark::State& state) {
    Attachment& att = *database().att;
    const int n = static_cast<int>(state.range(0));
    att.executeImmediate("delete from ROWS_BENCH");
    insertRows(att, n);
    for (auto _ : state) {
        auto tx = att.startTransaction();
        auto st = att.prepare(*tx, "select * from ROWS_BENCH");
        st->open(*tx);
        const int columns = static_cast<int>(st->columns().size());
        std::size_t rows = 0;
        while (st->fetch()) {
            for (int c = 0; c < columns; ++c) benchmark::DoNotOptimize(st->value(c));
            ++rows;
        }
        benchmark::DoNotOptimize(rows);
        st.reset();
        tx->commit();
    }
    state.SetItemsProcessed(state.iterations() * n);
    att.executeImmediate("delete from ROWS_BENCH");
}
BENCHMARK(BM_ReadWholeTable)->Arg(1000)->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
