// The dBase engine on damaged input: a table file and its memo file written to a folder, opened
// as a legacy table, walked as a migration walks it (every field as text, integer and float),
// and read cell by cell as the grid reads it. A file that cannot be read fails with DataError;
// anything else that escapes, and every crash or sanitizer report, is a finding.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/FuzzInput.h"
#include "legacy/LegacyTable.h"
#include "target/field/Errors.h"

namespace {

// A folder of the run's own, removed when the run ends.
char runFolder[] = "/tmp/mig-fuzz-dbf-XXXXXX";

const std::string& folder() {
    static const std::string path = [] {
        if (!::mkdtemp(runFolder)) std::abort();
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(runFolder, ec);
        });
        return std::string(runFolder);
    }();
    return path;
}

void write(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void readField(mig::Field& f) {
    (void)f.asText();
    (void)f.isNull();
    try {
        (void)f.asInteger();
    } catch (const mig::DataError&) {
    }
    try {
        (void)f.asFloat();
    } catch (const mig::DataError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const mig::fuzz::TableInput in = mig::fuzz::splitTable(data, size);
    const std::string dir = folder();
    ::unlink((dir + "/T.DBT").c_str());
    ::unlink((dir + "/T.FPT").c_str());
    write(dir + "/T.DBF", in.dbf);
    if (!(in.flags & mig::fuzz::kNoMemoFile)) {
        write(dir + ((in.flags & mig::fuzz::kFoxProMemo) ? "/T.FPT" : "/T.DBT"), in.memo);
    }

    mig::LegacyTable table("Tabela", "T", dir);
    try {
        table.Open();
    } catch (const mig::DataError&) {
        return 0;
    }
    try {
        for (table.First(); !table.Eof(); table.Next()) {
            for (int i = 0; i < table.fieldCount(); ++i) readField(table.field(i));
        }
        if (mig::Field* f = table.FindField(table.columnName(0))) readField(*f);
    } catch (const mig::DataError&) {
    }
    const std::int64_t rows = table.recordCount();
    for (std::int64_t r = rows - 1; r >= 0 && r >= rows - 64; --r) {
        for (int c = -1; c <= table.fieldCount(); ++c) (void)table.displayText(r, c);
    }
    (void)table.displayText(rows, 0);
    for (const mig::dbf::Anomaly& a : table.anomalies()) (void)mig::dbf::describe(a);
    table.Close();
    return 0;
}
