// Memo files: dBase III and IV .DBT, FoxPro .FPT, pointers as text or binary, damaged pointers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "legacy/dbf/DbfReader.h"
#include "legacy/dbf/MemoReader.h"
#include "target/field/Win1252.h"
#include "tests/legacy/LegacyFixtures.h"
#include "tools/dbf/DbfWriter.h"

namespace mig::dbf {
namespace {

using legacytest::InMemoryTable;
using legacytest::show;

struct MemoCase {
    const char* name;
    std::uint8_t version;
    std::uint32_t blockSize;  // 0: the writer's default
    int pointerLength;        // 10 as text, 4 binary
    MemoFormat format;
};

class MemoFormats : public ::testing::TestWithParam<MemoCase> {};

TEST_P(MemoFormats, ReadsShortLongAndEmptyMemos) {
    const MemoCase& c = GetParam();
    const std::string shortText = "first line\r\nsecond line";
    std::string longText;
    for (int i = 0; i < 120; ++i) longText += "line " + std::to_string(i) + " of a long memo\r\n";  // > 2 KB
    // Text that holds 0x1A only where a format with lengths allows it is left out: dBase III ends at it.
    DbfWriter w(c.version, {{"NOME", 'C', 5}, {"OBS", 'M', c.pointerLength}});
    if (c.blockSize) w.memoBlockSize(c.blockSize);
    w.add({"a", shortText}).add({"b", ""}).add({"c", longText}).addDeleted({"d", "deleted memo"}).add({"e", "x"});

    const InMemoryTable t(w);
    EXPECT_EQ(t->header().memoFormat(w.memoExtension() == ".FPT"), c.format);
    ASSERT_EQ(t->field(1).kind, FieldKind::Memo);
    EXPECT_EQ(t->value(0, 1), Value(shortText));
    EXPECT_EQ(t->value(1, 1), Value()) << "a blank pointer is an empty memo";
    const Value longValue = t->value(2, 1);
    EXPECT_EQ(longValue, Value(longText)) << show(longValue).substr(0, 80);
    EXPECT_EQ(t->value(4, 1), Value(std::string("x")));
    EXPECT_TRUE(t->anomalies().empty()) << describe(t->anomalies().front());
}

INSTANTIATE_TEST_SUITE_P(Formats, MemoFormats,
                         ::testing::Values(MemoCase{"dBase3", 0x83, 0, 10, MemoFormat::DBase3},
                                           MemoCase{"dBase4", 0x8B, 0, 10, MemoFormat::DBase4},
                                           MemoCase{"dBase4_block64", 0x8B, 64, 10, MemoFormat::DBase4},
                                           MemoCase{"dBase4_sql", 0xCB, 1024, 10, MemoFormat::DBase4},
                                           MemoCase{"level7", 0x8C, 0, 10, MemoFormat::DBase4},
                                           MemoCase{"FoxPro2", 0xF5, 0, 10, MemoFormat::FoxPro},
                                           MemoCase{"FoxPro2_block32", 0xF5, 32, 10, MemoFormat::FoxPro},
                                           MemoCase{"VisualFoxPro", 0x30, 0, 4, MemoFormat::FoxPro},
                                           MemoCase{"VisualFoxPro_block1", 0x30, 1, 4, MemoFormat::FoxPro}),
                         [](const ::testing::TestParamInfo<MemoCase>& param) { return std::string(param.param.name); });

TEST(DbfMemo, LengthPrefixedMemosMayHoldTheEndOfFileByte) {
    const std::string text = std::string("before\x1A", 7) + "after";
    for (const std::uint8_t version : {std::uint8_t{0x8B}, std::uint8_t{0xF5}}) {
        DbfWriter w(version, {{"OBS", 'M'}});
        w.add({text});
        const InMemoryTable t(w);
        EXPECT_EQ(t->value(0, 0), Value(text)) << "version " << int(version);
    }
}

TEST(DbfMemo, BinaryMemosAreNotConverted) {
    const std::string bytes("\x89PNG\x00\x87\xC6", 7);
    DbfWriter w(0x8B, {{"FOTO", 'B'}, {"OLE", 'G'}});
    w.languageDriver(0x02);  // code page 850 must not touch them
    w.add({bytes, bytes});
    const InMemoryTable t(w);
    EXPECT_EQ(t->field(0).kind, FieldKind::Blob);
    EXPECT_EQ(t->field(1).kind, FieldKind::Blob);
    EXPECT_EQ(t->value(0, 0), Value(bytes));
    EXPECT_EQ(t->value(0, 1), Value(bytes));
}

TEST(DbfMemo, MemoTextIsConvertedFromTheTablesCodePage) {
    DbfWriter w(0x83, {{"OBS", 'M'}});
    w.languageDriver(0x02).add({"A\x87\xC6o"});  // "Ação" in code page 850
    const InMemoryTable t(w);
    EXPECT_EQ(t->value(0, 0), Value(utf8ToWin1252("Ação")));
}

TEST(DbfMemo, PointerPastTheEndOfTheMemoFileIsEmptyAndNoted) {
    DbfWriter w(0x83, {{"NOME", 'C', 3}, {"OBS", 'M'}});
    w.add({"a", "kept"}).add({"b", Cell::bytes("       999")}).add({"c", Cell::bytes("      12x4")});
    const InMemoryTable t(w);
    EXPECT_EQ(t->value(0, 1), Value(std::string("kept")));
    EXPECT_EQ(t->value(1, 1), Value());
    EXPECT_EQ(t->value(2, 1), Value());
    ASSERT_EQ(t->anomalies().size(), 2u);
    EXPECT_EQ(t->anomalies()[0].kind, AnomalyKind::MemoOutOfRange);
    EXPECT_EQ(t->anomalies()[0].record, 2);
    EXPECT_EQ(t->anomalies()[0].field, "OBS");
    EXPECT_EQ(t->anomalies()[0].raw, "       999");
    EXPECT_EQ(t->anomalies()[1].kind, AnomalyKind::BadMemoPointer);
}

TEST(DbfMemo, PointerIntoTheMemoFilesHeaderIsEmptyAndSaysSo) {
    DbfWriter w(0x30, {{"OBS", 'M'}});
    w.memoBlockSize(64).add({Cell::bytes(DbfWriter::int32LE(3))});  // 3 * 64 lies in the 512-byte header
    const InMemoryTable t(w);
    EXPECT_EQ(t->value(0, 0), Value());
    ASSERT_EQ(t->anomalies().size(), 1u);
    EXPECT_EQ(t->anomalies()[0].kind, AnomalyKind::MemoOutOfRange);
    EXPECT_EQ(describe(t->anomalies()[0]),
              "T.DBF, record 1, field OBS: memo pointer out of range \"\\x03\\x00\\x00\\x00\" (block 3 lies inside the "
              "memo file's header; read as empty)");
}

TEST(DbfMemo, SampleReadsOfAMemoStopAtTheirLimit) {
    const std::string text(5000, 'k');
    for (const std::uint8_t version : {std::uint8_t{0x83}, std::uint8_t{0x8B}, std::uint8_t{0xF5}}) {
        DbfWriter w(version, {{"OBS", 'M'}});
        w.add({text});
        const std::string memo = w.memoBytes();
        const MemoReader reader(memo, version == 0xF5 ? MemoFormat::FoxPro : version == 0x83 ? MemoFormat::DBase3
                                                                                              : MemoFormat::DBase4);
        const std::uint32_t block = version == 0xF5 ? 512 / reader.blockSize() : 1;
        EXPECT_EQ(reader.read(block, 100).data, std::string(100, 'k')) << "version " << int(version);
        EXPECT_EQ(reader.read(block).data, text) << "version " << int(version);
    }
}

TEST(DbfMemo, MemoCutShortByTheEndOfTheFileGivesWhatIsThereAndIsNoted) {
    const std::string text(300, 'm');
    for (const std::uint8_t version : {std::uint8_t{0x83}, std::uint8_t{0x8B}, std::uint8_t{0xF5}}) {
        DbfWriter w(version, {{"OBS", 'M'}});
        w.add({text});
        // The memo starts right after the 512-byte header in all three; keep its head (none
        // in dBase III, 8 bytes in the others) and its first 100 characters.
        std::string memo = w.memoBytes();
        memo.resize(512 + (version == 0x83 ? 0 : 8) + 100);
        const InMemoryTable t(w.dbfBytes(), memo, version == 0xF5);
        EXPECT_EQ(t->value(0, 0), Value(std::string(100, 'm'))) << "version " << int(version);
        ASSERT_EQ(t->anomalies().size(), 1u) << "version " << int(version);
        EXPECT_EQ(t->anomalies()[0].kind, AnomalyKind::MemoCutShort);
    }
}

TEST(DbfMemo, DBaseIVBlockSizeIsTakenFromTheHeader) {
    DbfWriter w(0x8B, {{"OBS", 'M'}});
    w.memoBlockSize(1024).add({"one"}).add({"two"});
    const std::string memo = w.memoBytes();
    const MemoReader reader(memo, MemoFormat::DBase4);
    EXPECT_EQ(reader.blockSize(), 1024u);
    EXPECT_EQ(reader.read(2).data, "two");
    EXPECT_EQ(reader.read(9).status, MemoReader::Status::OutOfRange);
}

}  // namespace
}  // namespace mig::dbf
