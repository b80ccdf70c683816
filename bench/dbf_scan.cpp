// Scanning a legacy table of 1,000,000 records and turning every field of every record into
// text, beside pgdbf (Debian package pgdbf) turning the same file into SQL text.
//
//   build/dbf_scan                      # the file is made once in $MIG_BENCH_DIR or /tmp
//   build/dbf_scan --benchmark_filter=Scan
//
// The file is a customers table in code page 850 (language driver 0x02): code, name, address,
// district, city, state, postcode, phone, birth date, balance, active flag. pgdbf runs twice:
// passing the text through, and converting it from code page 850 (-s cp850) as the engine does.
// OpenTableThatRecordsNoCodePage opens a copy with language driver 0, whose code page the
// engine decides from a sample of its text.
// The counter anon_MB is the process's anonymous memory after the scan: the file is read
// through a window of bounded size, so it stays flat however large the file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchRun.h"
#include "legacy/LegacyTable.h"
#include "legacy/dbf/DbfFile.h"
#include "target/field/RegionalSettings.h"
#include "tools/dbf/DbfWriter.h"

namespace {

const auto kRecords = static_cast<std::uint32_t>(mig::bench::sized(1'000'000, 10'000));

std::string benchFolder() {
    const char* dir = std::getenv("MIG_BENCH_DIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/mig-dbf-scan" + (mig::bench::smokeRun() ? "-smoke" : "");
}

// drive_c/Quiltor/QTR13.DBF under the bench folder, made once.
std::string tablePath() {
    const std::string folder = benchFolder() + "/drive_c/Quiltor";
    const std::string path = folder + "/QTR13.DBF";
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) return path;
    std::filesystem::create_directories(folder);
    mig::dbf::DbfWriter w(0x03, {{"CLICODIGO", 'N', 6},
                                 {"CLINOMECO", 'C', 40},
                                 {"CLIENDERE", 'C', 45},
                                 {"CLIBAIRRO", 'C', 20},
                                 {"CLICIDADE", 'C', 20},
                                 {"CLIESTADO", 'C', 2},
                                 {"CLINUMCEP", 'C', 8},
                                 {"CLINUMTEL", 'C', 15},
                                 {"CLIDTNASC", 'D'},
                                 {"CLISALDO", 'N', 12, 2},
                                 {"CLIATIVO", 'L'}});
    w.languageDriver(0x02).headerRecordCount(kRecords).omitEndMark();
    const std::string tmp = path + ".part";
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    const std::string header = w.dbfBytes();
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    const char* names[] = {"JO\xC7O DA SILVA", "MARIA APARECIDA DE SOUZA", "ANT\x99NIO CARLOS", "CONCEI\x80\xC7O LIMA"};
    const char* streets[] = {"RUA DAS FLORES, 123", "AVENIDA BRASIL, 5000 - SALA 12", "TRAVESSA S\xC7O JOS\x90, 7"};
    std::string record;
    for (std::uint32_t i = 0; i < kRecords; ++i) {
        char date[9], balance[16], phone[16];
        std::snprintf(date, sizeof date, "%04u%02u%02u", 1940 + i % 70, 1 + i % 12, 1 + i % 28);
        std::snprintf(balance, sizeof balance, "%.2f", (static_cast<double>(i % 100000) - 50000) / 7.0);
        std::snprintf(phone, sizeof phone, "(11) 9%04u-%04u", i % 10000, (i * 7) % 10000);
        record = w.encode({std::to_string(i % 1000000), names[i % 4], streets[i % 3], "CENTRO", "S\xC7O PAULO", "SP",
                           "01001000", phone, i % 50 == 0 ? "" : date, balance, i % 3 ? "T" : "F"});
        out.write(record.data(), static_cast<std::streamsize>(record.size()));
    }
    out.put('\x1A');
    out.close();
    std::filesystem::rename(tmp, path);
    return path;
}

double anonymousMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("RssAnon:", 0) == 0) return std::strtod(line.c_str() + 8, nullptr) / 1024.0;
    }
    return 0;
}

mig::RegionalSettings brazil() {
    mig::RegionalSettings s;
    s.decimalSeparator = ',';
    s.shortDateFormat = "dd/mm/yyyy";
    return s;
}

// The migrations' walk: First, then every field as text, then Next, to the end.
void ScanAllFieldsAsText(benchmark::State& state) {
    const std::string path = tablePath();
    const mig::ScopedRegional regional(brazil());
    ::setenv("KORVELAN_DRIVE_C", (benchFolder() + "/drive_c").c_str(), 1);
    std::size_t chars = 0;
    std::int64_t records = 0;
    for (auto _ : state) {
        mig::LegacyTable t("Clientes", "QTR13");
        t.Open();
        const int n = t.fieldCount();
        std::vector<mig::Field*> fields;
        for (int i = 0; i < n; ++i) fields.push_back(&t.field(i));
        for (t.First(); !t.Eof(); t.Next()) {
            for (mig::Field* f : fields) chars += f->asText().size();
            ++records;
        }
        t.Close();
    }
    benchmark::DoNotOptimize(chars);
    state.SetItemsProcessed(records);
    state.SetBytesProcessed(static_cast<std::int64_t>(std::filesystem::file_size(path)) * state.iterations());
    state.counters["anon_MB"] = anonymousMegabytes();
}

// The grid's way: every cell by row and column, the cursor left alone.
void ScanAllCellsForTheGrid(benchmark::State& state) {
    const std::string path = tablePath();
    const mig::ScopedRegional regional(brazil());
    ::setenv("KORVELAN_DRIVE_C", (benchFolder() + "/drive_c").c_str(), 1);
    std::size_t chars = 0;
    std::int64_t records = 0;
    for (auto _ : state) {
        mig::LegacyTable t("Clientes", "QTR13");
        t.Open();
        const std::int64_t rows = t.recordCount();
        for (std::int64_t r = 0; r < rows; ++r) {
            for (int c = 0; c < t.fieldCount(); ++c) chars += t.displayText(r, c).size();
        }
        records += rows;
        t.Close();
    }
    benchmark::DoNotOptimize(chars);
    state.SetItemsProcessed(records);
    state.counters["anon_MB"] = anonymousMegabytes();
}

// Decoding alone, without the field layer's text: the engine's own share of the scan.
void DecodeAllValues(benchmark::State& state) {
    const std::string path = tablePath();
    std::int64_t records = 0;
    for (auto _ : state) {
        const mig::dbf::DbfFile file(path);
        const mig::dbf::DbfReader& r = file.reader();
        for (std::int64_t p = r.nextServed(0); p < r.physicalCount(); p = r.nextServed(p + 1)) {
            for (int f = 0; f < r.fieldCount(); ++f) benchmark::DoNotOptimize(r.value(p, f));
            ++records;
        }
    }
    state.SetItemsProcessed(records);
}

// Opening alone: what the grid waits for before it shows the first rows.
void OpenTable(benchmark::State& state) {
    const std::string path = tablePath();
    ::setenv("KORVELAN_DRIVE_C", (benchFolder() + "/drive_c").c_str(), 1);
    for (auto _ : state) {
        mig::LegacyTable t("Clientes", "QTR13");
        t.Open();
        benchmark::DoNotOptimize(t.recordCount());
        benchmark::DoNotOptimize(t.displayText(t.recordCount() - 1, 1));
    }
}

// Opening the same table from a copy that records no code page (language driver 0): the
// sample that decides the code page from the text is read as well.
void OpenTableThatRecordsNoCodePage(benchmark::State& state) {
    const std::string path = tablePath();
    const std::string folder = benchFolder() + "/unmarked/drive_c/Quiltor";
    const std::string copy = folder + "/QTR13.DBF";
    std::error_code ec;
    if (!std::filesystem::exists(copy, ec)) {
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(path, copy + ".part", std::filesystem::copy_options::overwrite_existing);
        std::fstream f(copy + ".part", std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(29);
        f.put('\0');
        f.close();
        std::filesystem::rename(copy + ".part", copy);
    }
    ::setenv("KORVELAN_DRIVE_C", (benchFolder() + "/unmarked/drive_c").c_str(), 1);
    for (auto _ : state) {
        mig::LegacyTable t("Clientes", "QTR13");
        t.Open();
        if (t.codePageName() != "CP850") {
            state.SkipWithError(("the code page decided is " + t.codePageName()).c_str());
            return;
        }
        benchmark::DoNotOptimize(t.recordCount());
        benchmark::DoNotOptimize(t.displayText(t.recordCount() - 1, 1));
    }
}

void runPgdbf(benchmark::State& state, const char* options) {
    const std::string path = tablePath();
    if (std::system("command -v pgdbf >/dev/null 2>&1") != 0) {
        state.SkipWithError("pgdbf is not installed (apt-get install pgdbf)");
        return;
    }
    const std::string command = std::string("pgdbf ") + options + " '" + path + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(kRecords) * state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(std::filesystem::file_size(path)) * state.iterations());
}

void PgdbfToSql(benchmark::State& state) { runPgdbf(state, ""); }
void PgdbfToSqlFromCp850(benchmark::State& state) { runPgdbf(state, "-s cp850"); }

}  // namespace

BENCHMARK(ScanAllFieldsAsText)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(mig::bench::minTime(2));
BENCHMARK(ScanAllCellsForTheGrid)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(mig::bench::minTime(2));
BENCHMARK(OpenTable)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OpenTableThatRecordsNoCodePage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DecodeAllValues)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(mig::bench::minTime(2));
BENCHMARK(PgdbfToSql)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(mig::bench::minTime(2));
BENCHMARK(PgdbfToSqlFromCp850)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(mig::bench::minTime(2));

BENCHMARK_MAIN();
