// Code pages of legacy text: the language-driver byte, the level-7 driver name, conversion to
// WIN1252 with "?" for what it lacks, files that record none.
#include <gtest/gtest.h>

#include <string>

#include "legacy/dbf/CodePage.h"
#include "legacy/dbf/DbfReader.h"
#include "target/field/Errors.h"
#include "target/field/Win1252.h"
#include "tests/legacy/LegacyFixtures.h"
#include "tools/dbf/DbfWriter.h"

namespace mig::dbf {
namespace {

using legacytest::InMemoryTable;
using legacytest::show;

struct CodePageCase {
    const char* name;
    std::uint8_t version;
    std::uint8_t driver;
    const char* driverName;  // level 7
    std::string stored;      // bytes in the file's code page
    const char* expectedUtf8;
    int codePage;            // as the header names it, 0 for none
};

class CodePages : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePages, TextArrivesAsWin1252) {
    const CodePageCase& c = GetParam();
    DbfWriter w(c.version, {{"NOME", 'C', 20}});
    w.languageDriver(c.driver).driverName(c.driverName).add({c.stored});
    const InMemoryTable t(w);
    EXPECT_EQ(t->header().codePage, c.codePage);
    const Value got = t->value(0, 0);
    EXPECT_EQ(got, Value(utf8ToWin1252(c.expectedUtf8))) << show(got);
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, CodePages,
    ::testing::Values(
        CodePageCase{"cp850_byte02", 0x03, 0x02, "", "JO\xC7O A\x87\xC6o", "JOÃO Ação", 850},
        CodePageCase{"cp850_byte25", 0x03, 0x25, "", "JO\xC7O A\x87\xC6o", "JOÃO Ação", 850},
        CodePageCase{"cp437_byte01", 0x03, 0x01, "", "\x80\x87\xA4 \x82", "Ççñ é", 437},
        CodePageCase{"cp860_byte24", 0x03, 0x24, "", "JO\x8EO A\x87\x84o", "JOÃO Ação", 860},
        CodePageCase{"cp1252_byte03", 0x03, 0x03, "", "JO\xC3O A\xE7\xE3o \x80", "JOÃO Ação €", 1252},
        CodePageCase{"cp1252_byte57", 0x30, 0x57, "", "JO\xC3O", "JOÃO", 1252},
        CodePageCase{"cp852_byte64", 0x03, 0x64, "", "\xA6\xE7", "Žš", 852},
        CodePageCase{"cp865_byte66", 0x03, 0x66, "", "\x9B\x9D", "øØ", 865},
        CodePageCase{"cp861_byte67", 0x03, 0x67, "", "\x8C\x8D", "ðÞ", 861},
        CodePageCase{"none_decided_win1252", 0x03, 0x00, "", "JO\xC3O Jos\xE9", "JOÃO José", 0},
        CodePageCase{"none_decided_cp850", 0x03, 0x00, "", "JO\xC7O Jos\x82", "JOÃO José", 0},
        CodePageCase{"lacking_character", 0x03, 0x01, "", "a\xC4\xC4z", "a??z", 437},
        CodePageCase{"level7_DB850PT0", 0x04, 0x00, "DB850PT0", "JO\xC7O", "JOÃO", 850},
        CodePageCase{"level7_DB860PT0", 0x04, 0x00, "DB860PT0", "JO\x8EO", "JOÃO", 860},
        CodePageCase{"level7_DBWINUS0", 0x04, 0x00, "DBWINUS0", "JO\xC3O", "JOÃO", 1252},
        CodePageCase{"level7_name_wins", 0x04, 0x01, "DB850PT0", "JO\xC7O", "JOÃO", 850}),
    [](const ::testing::TestParamInfo<CodePageCase>& param) { return std::string(param.param.name); });

TEST(CodePage, NamedCodePageServesAFileThatRecordsNone) {
    DbfWriter w(0x03, {{"NOME", 'C', 10}});
    w.add({"JO\xC7O"});
    ReadOptions options;
    options.codePage = 850;
    const InMemoryTable t(w, options);
    EXPECT_EQ(t->codePageSource(), CodePageSource::Named);
    EXPECT_EQ(t->value(0, 0), Value(utf8ToWin1252("JOÃO")));
}

TEST(CodePage, NamedCodePageOverridesTheRecordedOne) {
    // Marked WIN1252, written in CP850: the mark is wrong, the named code page is read.
    DbfWriter w(0x03, {{"NOME", 'C', 20}});
    w.languageDriver(0x03).add({"CONCEI\x80\xC7O"});
    EXPECT_EQ(InMemoryTable(w)->value(0, 0), Value(std::string("CONCEI\x80\xC7O"))) << "read as its mark says";
    ReadOptions options;
    options.codePage = 850;
    const InMemoryTable t(w, options);
    EXPECT_EQ(t->codePageSource(), CodePageSource::Named);
    EXPECT_EQ(t->codePage().number(), 850);
    EXPECT_EQ(t->value(0, 0), Value(utf8ToWin1252("CONCEIÇÃO")));
}

TEST(CodePage, UnknownDriverByteFailsUnlessACodePageIsNamed) {
    DbfWriter w(0x03, {{"NOME", 'C', 10}});
    w.languageDriver(0x7B).add({"abc"});  // Japanese, multi-byte
    try {
        const InMemoryTable t(w);
        FAIL() << "opened";
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Unsupported language driver 0x7B in T.DBF");
    }
    ReadOptions options;
    options.codePage = 1252;
    const InMemoryTable t(w, options);
    EXPECT_EQ(t->value(0, 0), Value(std::string("abc")));
}

TEST(CodePage, Level7DriverNameThatNamesNoKnownCodePageCountsAsNone) {
    for (const char* name : {"DBXYZ", "DB932JP0", "ANSI INTL"}) {
        SCOPED_TRACE(name);
        DbfWriter w(0x8C, {{"NOME", 'C', 20}});
        w.driverName(name).add({"Jo\xC6o da Concei\x87\xC6o"});
        const InMemoryTable t(w);
        EXPECT_TRUE(t->header().driverNameUnknown);
        EXPECT_EQ(t->codePageSource(), CodePageSource::Decided);
        EXPECT_EQ(t->codePage().number(), 850);
        EXPECT_EQ(t->value(0, 0), Value(utf8ToWin1252("João da Conceição")));
    }
    DbfWriter byByte(0x8C, {{"NOME", 'C', 20}});
    byByte.driverName("DBXYZ").languageDriver(0x24).add({"JO\x8EO"});
    const InMemoryTable t(byByte);
    EXPECT_EQ(t->codePageSource(), CodePageSource::Recorded) << "the driver byte still names one";
    EXPECT_EQ(t->value(0, 0), Value(utf8ToWin1252("JOÃO")));
}

TEST(CodePage, WritingAndReadingBackRoundTripsTheCharactersTheCodePageHas) {
    const CodePage* cp850 = CodePage::find(850);
    ASSERT_NE(cp850, nullptr);
    const std::string text = utf8ToWin1252("Ação, JOÃO, Ñandú, ß, é, ü, º");
    EXPECT_EQ(cp850->toWin1252(cp850->fromWin1252(text)), text);
    EXPECT_EQ(cp850->fromWin1252(utf8ToWin1252("€")), "?") << "850 has no euro sign";
    EXPECT_EQ(CodePage::find(932), nullptr);
}

}  // namespace
}  // namespace mig::dbf
