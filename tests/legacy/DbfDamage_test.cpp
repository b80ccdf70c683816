// Damaged files: each fails with its exact error, or is read as far as it goes with its
// anomalies noted. Flipped bytes never crash the reader or make it read outside the file.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "legacy/dbf/DbfReader.h"
#include "target/field/Errors.h"
#include "tests/legacy/LegacyFixtures.h"
#include "tools/dbf/DbfWriter.h"

namespace mig::dbf {
namespace {

using legacytest::InMemoryTable;

DbfWriter threeCustomers() {
    DbfWriter w(0x03, {{"CODIGO", 'N', 4}, {"NOME", 'C', 10}});
    w.add({"1", "ANA"}).add({"2", "BIA"}).add({"3", "CAIO"});
    return w;
}

std::string errorOf(const std::string& dbf) {
    try {
        const InMemoryTable t(dbf, "", false);
        return "(opened)";
    } catch (const DataError& e) {
        return e.what();
    }
}

std::string withByte(std::string s, std::size_t at, char value) {
    s[at] = value;
    return s;
}
std::string withLE16(std::string s, std::size_t at, unsigned value) {
    s[at] = static_cast<char>(value & 0xFF);
    s[at + 1] = static_cast<char>(value >> 8);
    return s;
}

TEST(DbfDamage, HeadersThatCannotBeReadFailWithTheirReason) {
    const std::string good = threeCustomers().dbfBytes();
    DbfWriter unknownType(0x03, {{"CODIGO", 'N', 4}, {"FOTO", 'X', 5}});
    DbfWriter badDate(0x03, {{"NASC", 'D', 6}});
    DbfWriter vfpOnly(0x03, {{"NOME", 'V', 6}});
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;
    };
    const Case cases[] = {
        {"header cut short", good.substr(0, 20),
         "Bad dBase header in T.DBF: the file is shorter than a header (20 bytes)"},
        {"descriptors cut short", good.substr(0, 50),
         "Bad dBase header in T.DBF: the file (50 bytes) ends inside its header of 97 bytes"},
        {"empty file", "", "Bad dBase header in T.DBF: the file is shorter than a header (0 bytes)"},
        {"unsupported version", withByte(good, 0, 0x02), "Bad dBase header in T.DBF: unsupported version byte 0x02"},
        {"header length too small", withLE16(good, 8, 20), "Bad dBase header in T.DBF: header length 20 is too small"},
        {"record length too small", withLE16(good, 10, 1), "Bad dBase header in T.DBF: record length 1 is too small"},
        {"fields longer than the record", withLE16(good, 10, 10),
         "Bad dBase header in T.DBF: the fields need 15 bytes but a record has 10"},
        {"no fields", withByte(good, 32, 0x0D), "Bad dBase header in T.DBF: no field descriptors"},
        {"unknown field type", unknownType.dbfBytes(), "Bad dBase header in T.DBF: unknown field type 'X' of field FOTO"},
        {"unprintable field type", withByte(good, 32 + 11, 0x01),
         "Bad dBase header in T.DBF: unknown field type 0x01 of field CODIGO"},
        {"date of the wrong length", badDate.dbfBytes(), "Bad dBase header in T.DBF: field NASC of type 'D' has length 6"},
        {"Visual FoxPro type elsewhere", vfpOnly.dbfBytes(), "Bad dBase header in T.DBF: unknown field type 'V' of field NOME"},
    };
    for (const Case& c : cases) EXPECT_EQ(errorOf(c.bytes), c.error) << c.name;
}

TEST(DbfDamage, MissingDescriptorTerminatorStillParsesAndIsNoted) {
    for (const std::uint8_t version : {std::uint8_t{0x03}, std::uint8_t{0x04}, std::uint8_t{0x30}}) {
        SCOPED_TRACE(int(version));
        DbfWriter w(version, {{"CODIGO", 'N', 4}, {"NOME", 'C', 10}});
        w.omitTerminator().add({"1", "ANA"}).add({"2", "BIA"});
        const InMemoryTable t(w);
        EXPECT_TRUE(t->header().terminatorMissing);
        ASSERT_EQ(t->fieldCount(), 2);
        EXPECT_EQ(t->rowCount(), 2);
        EXPECT_EQ(t->value(1, 1), Value(std::string("BIA")));
        ASSERT_EQ(t->anomalies().size(), 1u);
        EXPECT_EQ(describe(t->anomalies()[0]),
                  "T.DBF: damaged header (no 0x0D after the field descriptors; 2 field(s) read up to the end of the "
                  "header)");
    }
}

TEST(DbfDamage, VisualFoxProDescriptorsInTheBacklinksSpaceAreReadAndNoted) {
    // A writer that kept no backlink: ten descriptors and the terminator end the header, and
    // the last 263 bytes of the header, where the backlink belongs, hold nine descriptors.
    std::vector<FieldSpec> fieldSpecs;
    std::vector<Cell> cells;
    for (int i = 0; i < 10; ++i) {
        fieldSpecs.push_back({"CAMPO" + std::to_string(i), 'C', 3});
        cells.emplace_back("v" + std::to_string(i));
    }
    DbfWriter w(0x30, fieldSpecs);
    w.add(cells);
    std::string bytes = w.dbfBytes();
    const std::uint32_t withoutBacklink = w.headerLength() - 263;
    bytes.erase(withoutBacklink, 263);
    bytes[8] = static_cast<char>(withoutBacklink & 0xFF);
    bytes[9] = static_cast<char>(withoutBacklink >> 8);
    const InMemoryTable t(bytes, "", false);
    ASSERT_EQ(t->fieldCount(), 10) << "no field is dropped";
    EXPECT_EQ(t->value(0, 9), Value(std::string("v9")));
    ASSERT_EQ(t->anomalies().size(), 1u);
    EXPECT_EQ(describe(t->anomalies()[0]),
              "T.DBF: damaged header (9 field descriptor(s) stand in the 263 bytes a Visual FoxPro header keeps for "
              "its backlink; read as fields)");
}

TEST(DbfDamage, RecordBytesThatNoFieldDescribesAreNoted) {
    std::string bytes = threeCustomers().dbfBytes();
    bytes[64 + 16] = 6;  // NOME: 6 of its 10 bytes
    const InMemoryTable t(bytes, "", false);
    EXPECT_EQ(t->value(2, 1), Value(std::string("CAIO")));
    ASSERT_EQ(t->anomalies().size(), 1u);
    EXPECT_EQ(describe(t->anomalies()[0]),
              "T.DBF: damaged header (the fields describe 10 of the 14 bytes of a record after its flag; the other "
              "bytes are not shown)");
}

TEST(DbfDamage, NullableFieldsWithoutNullFlagsAreReadAsNotNull) {
    DbfWriter w(0x30, {{"A", 'C', 4}, {"B", 'C', 5}, {"N", 'N', 3}});
    w.add({"abc", "vwxyz", "7"}).add({"", "", ""});
    std::string bytes = w.dbfBytes();
    // Nullable fields and a variable-length one, and no _NullFlags field.
    for (const int field : {0, 1, 2}) bytes[32 + 32 * field + 18] = kFlagNullable;
    bytes[32 + 32 + 11] = 'V';
    const InMemoryTable t(bytes, "", false);
    ASSERT_EQ(t->fieldCount(), 3);
    EXPECT_EQ(t->value(0, 0), Value(std::string("abc")));
    EXPECT_EQ(t->value(0, 1), Value(std::string("vwxyz")));
    EXPECT_EQ(t->value(0, 2), Value(std::int32_t{7}));
    EXPECT_EQ(t->value(1, 0), Value(std::string()));
    EXPECT_EQ(t->value(1, 2), Value());
    EXPECT_TRUE(t->anomalies().empty());
}

TEST(DbfDamage, HeaderCountingMoreRecordsThanTheFileHoldsServesTheCompleteOnes) {
    DbfWriter w = threeCustomers();
    w.headerRecordCount(10);
    const InMemoryTable t(w);
    EXPECT_EQ(t->physicalCount(), 3);
    EXPECT_EQ(t->rowCount(), 3);
    EXPECT_EQ(t->value(2, 1), Value(std::string("CAIO")));
    ASSERT_EQ(t->anomalies().size(), 1u);
    EXPECT_EQ(describe(t->anomalies()[0]), "T.DBF: records missing (the header counts 10 records, the file holds 3)");
}

TEST(DbfDamage, TruncatedLastRecordIsNotServedAndIsNoted) {
    DbfWriter w = threeCustomers();
    std::string bytes = w.dbfBytes();
    bytes.resize(bytes.size() - 1 - 6);  // no end mark, and the last record loses 6 of its 15 bytes
    const InMemoryTable t(bytes, "", false);
    EXPECT_EQ(t->rowCount(), 2);
    EXPECT_EQ(t->value(1, 1), Value(std::string("BIA")));
    ASSERT_EQ(t->anomalies().size(), 2u);
    EXPECT_EQ(t->anomalies()[0].kind, AnomalyKind::RecordsMissing);
    EXPECT_EQ(t->anomalies()[1].kind, AnomalyKind::TruncatedRecord);
    EXPECT_EQ(t->anomalies()[1].record, 3);
    EXPECT_EQ(t->anomalies()[1].raw, "    3CAIO");
    EXPECT_EQ(describe(t->anomalies()[1]),
              "T.DBF, record 3: truncated record \"    3CAIO\" (9 of 15 bytes; not served)");
}

TEST(DbfDamage, MissingEndMarkIsNoDamage) {
    DbfWriter w = threeCustomers();
    w.omitEndMark();
    const InMemoryTable t(w);
    EXPECT_EQ(t->rowCount(), 3);
    EXPECT_TRUE(t->anomalies().empty());
}

TEST(DbfDamage, RecordsBeyondTheHeadersCountAreNotServedButNoted) {
    DbfWriter w = threeCustomers();
    w.headerRecordCount(2);
    const InMemoryTable t(w);
    EXPECT_EQ(t->rowCount(), 2);
    ASSERT_EQ(t->anomalies().size(), 1u);
    EXPECT_EQ(t->anomalies()[0].kind, AnomalyKind::ExtraRecords);
    EXPECT_EQ(t->anomalies()[0].record, 3);
}

// Reads everything a reader offers: every value of every record, by row and by record.
void readEverything(const DbfReader& r) {
    for (std::int64_t row = 0; row < r.rowCount(); ++row) {
        const std::int64_t p = r.physicalOfRow(row);
        ASSERT_LT(p, r.physicalCount());
        for (int f = 0; f < r.fieldCount(); ++f) {
            (void)r.value(p, f);
            (void)r.rawField(p, f);
        }
    }
    for (const Anomaly& a : r.anomalies()) (void)describe(a);
}

void flipAndRead(const std::string& dbf, const std::string& memo, bool fpt, std::size_t at, char mask,
                 bool inMemo) {
    std::string d = dbf, m = memo;
    std::string& target = inMemo ? m : d;
    target[at] = static_cast<char>(target[at] ^ mask);
    // Copies sized exactly, so that AddressSanitizer sees any read past the end.
    try {
        const InMemoryTable t(d, m, fpt);
        readEverything(*t);
    } catch (const DataError&) {
        // A header made unreadable is a clean failure.
    }
}

struct FlipCase {
    const char* name;
    std::function<DbfWriter()> make;
};

TEST(DbfDamage, FlippedBytesNeverCrashOrReadOutsideTheFile) {
    const FlipCase cases[] = {
        {"dBase III with memo",
         [] {
             DbfWriter w(0x83, {{"C", 'C', 6}, {"N", 'N', 7, 2}, {"D", 'D'}, {"L", 'L'}, {"M", 'M'}});
             w.languageDriver(0x02);
             w.add({"ana", "1.5", "20240101", "T", "memo one"}).addDeleted({"x", "2", "", "F", "gone"});
             w.add({"bia", "-3", "19991231", "?", std::string(700, 'z')});
             return w;
         }},
        {"dBase IV",
         [] {
             DbfWriter w(0x8B, {{"C", 'C', 4}, {"F", 'F', 10, 3}, {"B", 'B'}, {"G", 'G'}, {"M", 'M'}});
             w.memoBlockSize(64).add({"a", "1e3", "bin", "ole", "text"}).add({"b", "", "", "", std::string(200, 'q')});
             return w;
         }},
        {"level 7",
         [] {
             DbfWriter w(0x8C, {{"I", 'I'}, {"A", '+'}, {"O", 'O'}, {"T", '@'}, {"M", 'M'}});
             w.driverName("DB850PT0");
             w.add({DbfWriter::level7Long(-5), DbfWriter::level7Long(1), DbfWriter::level7Double(2.5),
                    DbfWriter::level7Timestamp(DbfWriter::julianDay(2020, 5, 6), 1000), "memo"});
             return w;
         }},
        {"Visual FoxPro",
         [] {
             DbfWriter w(0x32, {{"C", 'C', 5, 0, kFlagNullable}, {"V", 'V', 8, 0, kFlagNullable}, {"I", 'I'},
                                {"Y", 'Y'}, {"T", 'T'}, {"B", 'B'}, {"M", 'M'}});
             w.languageDriver(0x03);
             w.add({std::nullopt, "var", DbfWriter::int32LE(9), DbfWriter::currency(15000),
                    DbfWriter::julianDateTime(DbfWriter::julianDay(2001, 2, 3), 5), DbfWriter::doubleLE(0.25), "m1"});
             w.add({"abc", std::nullopt, DbfWriter::int32LE(-1), DbfWriter::currency(-1), DbfWriter::julianDateTime(0, 0),
                    DbfWriter::doubleLE(-7), std::string(150, 'v')});
             return w;
         }},
    };
    std::mt19937 rng(20240101);
    for (const FlipCase& c : cases) {
        SCOPED_TRACE(c.name);
        const DbfWriter w = c.make();
        const std::string dbf = w.dbfBytes();
        const std::string memo = w.memoBytes();
        const bool fpt = w.memoExtension() == ".FPT";
        // Every byte of the header with several masks, then a sample of the records and memo.
        for (std::size_t at = 0; at < w.headerLength(); ++at) {
            for (const char mask : {'\x01', '\x80', '\xFF', '\x0C'}) flipAndRead(dbf, memo, fpt, at, mask, false);
        }
        for (std::size_t at = w.headerLength(); at < dbf.size(); ++at) {
            flipAndRead(dbf, memo, fpt, at, static_cast<char>(1 + rng() % 255), false);
        }
        std::uniform_int_distribution<std::size_t> anyMemoByte(0, memo.size() - 1);
        for (int i = 0; i < 400; ++i) {
            flipAndRead(dbf, memo, fpt, anyMemoByte(rng), static_cast<char>(1 + rng() % 255), true);
        }
        // Files cut anywhere.
        for (std::size_t len = 0; len < dbf.size(); len += 7) {
            try {
                const InMemoryTable t(dbf.substr(0, len), memo.substr(0, len * memo.size() / dbf.size()), fpt);
                readEverything(*t);
            } catch (const DataError&) {
            }
        }
    }
}

}  // namespace
}  // namespace mig::dbf
