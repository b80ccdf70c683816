// Inputs the fuzz targets (fuzz/) found to break the program, kept as cases once mended: each
// is read without a crash or a sanitizer report, and what it holds that cannot be read is
// noted as an anomaly.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "legacy/dbf/DbfReader.h"
#include "tools/dbf/DbfWriter.h"

namespace mig::test {
namespace {

using dbf::AnomalyKind;
using dbf::Cell;
using dbf::DbfWriter;

// A double's bytes, most significant first (a level-7 date and time).
std::string bigEndian(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    std::string out(8, '\0');
    for (int i = 0; i < 8; ++i) out[static_cast<std::size_t>(i)] = static_cast<char>(bits >> (56 - 8 * i));
    return out;
}

TEST(FuzzFindings, DamagedValuesReadAsEmptyWithTheirAnomaly) {
    const struct {
        const char* name;
        DbfWriter writer;
        Cell stored;
        AnomalyKind anomaly;
    } cases[] = {
        // A level-7 date and time of 9.6e26 milliseconds: its day number was converted to a
        // 64-bit integer it does not fit (undefined behaviour) before being found out of range.
        {"level-7 timestamp far past any day number",
         DbfWriter(0x04, {{"QUANDO", '@'}}).level7(true), Cell::bytes(bigEndian(9.5935e26)), AnomalyKind::BadDateTime},
        {"level-7 timestamp past year 9999", DbfWriter(0x04, {{"QUANDO", '@'}}).level7(true),
         Cell::bytes(DbfWriter::level7Timestamp(DbfWriter::julianDay(9999, 12, 31) + 1, 0)), AnomalyKind::BadDateTime},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        c.writer.add({c.stored});
        const std::string bytes = c.writer.dbfBytes();
        const dbf::DbfReader reader(bytes, {}, dbf::MemoFormat::None, "T.DBF");
        ASSERT_EQ(reader.rowCount(), 1);
        EXPECT_EQ(reader.value(0, 0), Value());
        ASSERT_EQ(reader.anomalies().size(), 1u);
        EXPECT_EQ(reader.anomalies()[0].kind, c.anomaly);
    }
}

}  // namespace
}  // namespace mig::test
