// "Conferir migração" of 50,000 generated legacy customers against an empty embedded database:
// the walk through the customers' mapping into a dataset that is never applied, each row held
// against the server's column sizes and keys (read once from the system tables). Beside it, the
// same legacy table scanned to text: every field of every record read as text, the path of
// build/dbf_scan's ScanAllFieldsAsText. Both under regional settings with a decimal comma and a
// day-first date.
//
//   build/check_customers
//
// The figure to watch: BM_CheckCustomers over BM_ScanCustomersToText (target: at most 2).
#include "bench/MigrationBench.h"
#include "migrations/Check.h"
#include "target/field/RegionalSettings.h"

namespace {

using namespace mig;
using namespace mig::bench;

int customers() { return sized(50'000, 300); }

// The eighteen legacy texts of customer `i`, CLIDTNASC as YYYYMMDD; one name in fifty is longer
// than its target field, so that the check has cuts to report.
std::vector<dbf::Cell> customer(int i) {
    const std::string n = std::to_string(i);
    char birth[16];
    std::snprintf(birth, sizeof birth, "%04d%02d%02d", 1940 + i % 60, 1 + i % 12, 1 + i % 28);
    return {n, i % 50 == 0 ? "CLIENTE NUMERO " + n + " DA FARMACIA DE MANIPULACAO CENTRAL" : "CLIENTE NUMERO " + n,
            "RUA DAS FLORES, " + std::to_string(i % 2000), "CENTRO", "SAO PAULO", "SP", "01001-000",
            "(11) 5555-" + std::to_string(1000 + i % 9000), std::to_string(10000000000LL + i), "MG-" + n, birth,
            "cliente" + n + "@exemplo.com.br", "CLIENTE DESDE 1999", i % 10 == 0 ? "ALERGIA A DIPIRONA" : "",
            i % 2 ? "F" : "M", "RG", "SSP", "SP"};
}

void writeCustomers() {
    static bool written = false;
    if (written) return;
    dbf::DbfWriter writer(0x83, {{"CLICODIGO", 'N', 6},  {"CLINOMECO", 'C', 60}, {"CLIENDERE", 'C', 60},
                                 {"CLIBAIRRO", 'C', 40}, {"CLICIDADE", 'C', 30}, {"CLIESTADO", 'C', 2},
                                 {"CLINUMCEP", 'C', 10}, {"CLINUMTEL", 'C', 30}, {"CLINUMCPF", 'C', 14},
                                 {"CLIDOCUME", 'C', 15}, {"CLIDTNASC", 'D'},     {"CLIE_MAIL", 'C', 60},
                                 {"CLIOBSERV", 'C', 60}, {"CLIOBSMAN", 'M'},     {"CLISEXOCL", 'C', 1},
                                 {"CLITPDOCU", 'C', 10}, {"CLIORGEXP", 'C', 10}, {"CLIESTEXP", 'C', 2}});
    for (int i = 1; i <= customers(); ++i) writer.add(customer(i));
    writeLegacy("Clientes", writer);
    written = true;
}

RegionalSettings brazil() {
    RegionalSettings s;
    s.decimalSeparator = ',';
    s.shortDateFormat = "dd/mm/yyyy";
    return s;
}

void BM_CheckCustomers(benchmark::State& state) {
    writeCustomers();
    const ScopedRegional regional(brazil());
    // The pair opened as its preview opens it; the check runs on it as often as asked.
    Pair pair(MasterData::Customers);
    for (auto _ : state) {
        const CheckReport report = runCheck(pair.def, pair.table, pair.target, pair.dm.SQLQuery1);
        if (report.migrated != customers() || report.cut != customers() / 50) {
            state.SkipWithError("the check did not count every customer");
        }
        benchmark::DoNotOptimize(report.findings.data());
    }
    state.counters["records"] = customers();
}

void BM_ScanCustomersToText(benchmark::State& state) {
    writeCustomers();
    const ScopedRegional regional(brazil());
    std::size_t chars = 0;
    for (auto _ : state) {
        LegacyTable t("Clientes", "QTR13", folder().legacy());
        t.Open();
        std::vector<Field*> fields;
        for (int i = 0; i < t.fieldCount(); ++i) fields.push_back(&t.field(i));
        for (t.First(); !t.Eof(); t.Next()) {
            for (Field* f : fields) chars += f->asText().size();
        }
        t.Close();
    }
    benchmark::DoNotOptimize(chars);
    state.counters["records"] = customers();
}

BENCHMARK(BM_CheckCustomers)->Unit(benchmark::kMillisecond)->Repetitions(pairedRepetitions())->UseRealTime();
BENCHMARK(BM_ScanCustomersToText)->Unit(benchmark::kMillisecond)->Repetitions(pairedRepetitions())->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
