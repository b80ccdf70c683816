// The legacy tables: opened from the legacy folder by name without regard to case, walked with
// First/Next/Eof, fields read by name through the field layer, rows read by the grid, and the
// files never changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "legacy/LegacyTable.h"
#include "legacy/LegacyTables.h"
#include "target/field/Errors.h"
#include "target/field/RegionalSettings.h"
#include "target/field/Win1252.h"
#include "tests/legacy/LegacyFixtures.h"
#include "tools/dbf/DbfWriter.h"

namespace mig {
namespace {

using dbf::DbfWriter;
using legacytest::LegacyDrive;
using legacytest::ScopedEnv;

DbfWriter families() {
    DbfWriter w(0x03, {{"ACTCODIGO", 'N', 4}, {"ACTDESCRI", 'C', 30}});
    w.languageDriver(0x02);
    w.add({"1", "ANALGESICOS"}).addDeleted({"2", "APAGADA"}).add({"3", "ANTI\xB5" "CIDOS"}).add({"4", "VITAMINAS"});
    return w;
}

std::vector<std::string> walk(LegacyTable& t, const char* field) {
    std::vector<std::string> seen;
    t.First();
    while (!t.Eof()) {
        seen.push_back(t.FieldByName(field).asText());
        t.Next();
    }
    return seen;
}

// Regional settings with a decimal comma and days first.
RegionalSettings brazilian(const char* shortDateFormat) {
    RegionalSettings pt;
    pt.decimalSeparator = ',';
    pt.dateSeparator = '/';
    pt.shortDateFormat = shortDateFormat;
    return pt;
}

class LegacyTableTest : public ::testing::Test {
protected:
    LegacyDrive drive;
};

TEST_F(LegacyTableTest, FamiliesFileIsFoundAsQtr17AWhateverItsCase) {
    drive.write(families(), "QTR17A.DBF");
    LegacyTable t("Familias", "qtr17A", drive.legacyFolder());
    t.Open();
    EXPECT_TRUE(t.Active());
#ifdef _WIN32
    EXPECT_EQ(t.path(), drive.file("qtr17A.DBF")) << "Windows finds the file under the name as it is asked for";
#else
    EXPECT_EQ(t.path(), drive.file("QTR17A.DBF"));
#endif
    EXPECT_EQ(walk(t, "ACTDESCRI"),
              (std::vector<std::string>{"ANALGESICOS", utf8ToWin1252("ANTIÁCIDOS"), "VITAMINAS"}))
        << "deleted records are not served; code page 850 arrives as WIN1252";
}

TEST_F(LegacyTableTest, OpenPositionsOnTheFirstRecordAndNextStopsOnTheLast) {
    drive.write(families(), "qtr17a.dbf");
    LegacyTable t("Familias", "qtr17A", drive.legacyFolder());
    t.Open();
    EXPECT_FALSE(t.Eof());
    EXPECT_EQ(t.recNo(), 0);
    EXPECT_EQ(t.FieldByName("ACTCODIGO").asInteger(), 1);
    t.Next();
    t.Next();
    EXPECT_FALSE(t.Eof());
    EXPECT_EQ(t.FieldByName("ACTCODIGO").asInteger(), 4);
    t.Next();
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.FieldByName("ACTCODIGO").asInteger(), 4) << "the position stays on the last record";
    EXPECT_EQ(t.recNo(), 2);
    t.Next();
    EXPECT_TRUE(t.Eof());
    t.First();
    EXPECT_FALSE(t.Eof());
    EXPECT_EQ(t.FieldByName("ACTCODIGO").asInteger(), 1);

    t.Next();
    t.Open();  // already open: nothing happens
    EXPECT_EQ(t.FieldByName("ACTCODIGO").asInteger(), 3);
}

TEST_F(LegacyTableTest, EmptyTableOpensAtItsEnd) {
    DbfWriter w(0x03, {{"REGBAIRRO", 'C', 20}});
    w.addDeleted({"only a deleted one"});
    drive.write(w, "QTR42A.DBF");
    LegacyTable t("Bairros", "QTR42A", drive.legacyFolder());
    t.Open();
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_EQ(t.recNo(), -1);
    t.First();
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.FieldByName("REGBAIRRO").asText(), "");
    EXPECT_EQ(walk(t, "REGBAIRRO"), std::vector<std::string>{});
}

TEST_F(LegacyTableTest, FieldsAreFoundByNameInAnyCaseAndAMissingOneNamesTheTable) {
    drive.write(families(), "QTR17A.DBF");
    LegacyTable t("Familias", "qtr17A", drive.legacyFolder());
    t.Open();
    EXPECT_EQ(&t.FieldByName("actdescri"), &t.FieldByName("ACTDESCRI"));
    EXPECT_EQ(&t.FieldByName("ActDescri"), &t.field(1));
    EXPECT_EQ(t.FindField("ACTNADA"), nullptr);
    try {
        t.FieldByName("ACTNADA");
        FAIL() << "found";
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Familias: Field 'ACTNADA' not found");
    }
}

TEST_F(LegacyTableTest, ValuesAreReadAsTextIntegerAndFloatThroughTheFieldLayer) {
    DbfWriter w(0x03, {{"MATCODIGO", 'N', 6}, {"MATNOMECO", 'C', 20}, {"MATFATCOR", 'N', 10, 4},
                       {"MATDENSID", 'N', 8, 3}, {"CLIDTNASC", 'D'}, {"MATATIVO", 'L'}});
    w.add({"123", "AGUA PURIFICADA", "1.5000", "0.000", "19600115", "T"});
    w.add({"", "", "", "", "", ""});
    drive.write(w, "QTR23.DBF");
    const ScopedRegional regional(brazilian("dd/MM/yy"));

    LegacyTable t("Componen", "QTR23", drive.legacyFolder());
    t.Open();
    EXPECT_EQ(t.FieldByName("MATCODIGO").asInteger(), 123);
    EXPECT_EQ(t.FieldByName("MATCODIGO").asText(), "123");
    EXPECT_EQ(t.FieldByName("MATNOMECO").asText(), "AGUA PURIFICADA");
    EXPECT_DOUBLE_EQ(t.FieldByName("MATFATCOR").asFloat(), 1.5);
    EXPECT_EQ(t.FieldByName("MATFATCOR").asText(), "1,5");
    EXPECT_EQ(t.FieldByName("MATDENSID").asText(), "0");
    EXPECT_EQ(t.FieldByName("CLIDTNASC").asText(), "15/01/60");
    EXPECT_EQ(t.FieldByName("MATATIVO").asText(), "True");
    EXPECT_EQ(t.field(0).kind(), FieldKind::Integer);
    EXPECT_EQ(t.field(1).kind(), FieldKind::Text);
    EXPECT_EQ(t.field(1).size(), 20);
    EXPECT_EQ(t.field(2).kind(), FieldKind::Float);

    t.Next();
    EXPECT_TRUE(t.FieldByName("MATCODIGO").isNull());
    EXPECT_EQ(t.FieldByName("MATCODIGO").asText(), "");
    EXPECT_EQ(t.FieldByName("MATFATCOR").asFloat(), 0.0);
    EXPECT_EQ(t.FieldByName("CLIDTNASC").asText(), "");
    EXPECT_THROW(t.FieldByName("MATNOMECO").asInteger(), ConversionError);
}

// The mapping of a migration reads legacy fields with readText: the text of every field, of
// every kind, is the one asText gives (character fields converted from the file's code page
// and read in place, the others formatted under the regional settings, memos from their file).
TEST_F(LegacyTableTest, TextsReadForTheMappingAreTheFieldsAsText) {
    DbfWriter w(0x83, {{"MATCODIGO", 'N', 6}, {"MATNOMECO", 'C', 20}, {"MATFATCOR", 'N', 10, 4},
                       {"CLIDTNASC", 'D'}, {"MATATIVO", 'L'}, {"CLIOBSMAN", 'M'}});
    w.languageDriver(0x02);  // code page 850
    w.add({"123", "ANTI\xB5" "CIDO", "1.5000", "19600115", "T", "USO EXTERNO \x80"});
    w.add({"", "", "", "", "", ""});
    w.add({"7", "AGUA   ", "0.2500", "20001231", "F", ""});
    drive.write(w, "QTR23.DBF");
    const ScopedRegional regional(brazilian("dd/mm/yyyy"));

    LegacyTable t("Componen", "QTR23", drive.legacyFolder());
    t.Open();
    std::vector<std::string> read;
    std::string scratch;
    for (t.First(); !t.Eof(); t.Next()) {
        for (int i = 0; i < t.fieldCount(); ++i) {
            const std::string text(t.field(i).readText(scratch));
            EXPECT_EQ(text, t.field(i).asText()) << t.field(i).name() << " of record " << t.recNo() + 1;
            read.push_back(text);
        }
    }
    EXPECT_EQ(read, (std::vector<std::string>{"123", utf8ToWin1252("ANTIÁCIDO"), "1,5", "15/01/1960", "True",
                                              utf8ToWin1252("USO EXTERNO Ç"), "", "", "", "", "", "", "7", "AGUA",
                                              "0,25", "31/12/2000", "False", ""}));
}

TEST_F(LegacyTableTest, FieldsCannotBeWritten) {
    drive.write(families(), "QTR17A.DBF");
    LegacyTable t("Familias", "qtr17A", drive.legacyFolder());
    t.Open();
    try {
        t.FieldByName("ACTDESCRI").setText("X");
        FAIL() << "written";
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Familias: Cannot modify a read-only dataset");
    }
    EXPECT_EQ(t.FieldByName("ACTDESCRI").asText(), "ANALGESICOS");
}

TEST_F(LegacyTableTest, ReopeningShowsTheFilesNewContents) {
    const std::string path = drive.write(families(), "QTR17A.DBF");
    LegacyTable t("Familias", "qtr17A", drive.legacyFolder());
    t.Open();
    EXPECT_EQ(t.recordCount(), 3);

    DbfWriter changed(0x03, {{"ACTCODIGO", 'N', 4}, {"ACTDESCRI", 'C', 30}, {"ACTNOVO", 'C', 5}});
    changed.add({"9", "NOVA", "sim"});
#ifdef _WIN32
    // Wine keeps a file deleted or renamed over while a handle is open until that handle closes
    // (and then removes whatever the name holds): here the file is replaced once the table is
    // closed.
    t.Close();
    std::filesystem::remove(path);
    drive.write(changed, "QTR17A.DBF");
#else
    std::filesystem::remove(path);  // a new file in its place, as the legacy product's PACK leaves it
    drive.write(changed, "QTR17A.DBF");
    EXPECT_EQ(t.FieldByName("ACTDESCRI").asText(), "ANALGESICOS") << "an open table keeps what it opened";
    t.Close();
#endif
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(t.fieldCount(), 0);
    EXPECT_EQ(t.FindField("ACTDESCRI"), nullptr);
    t.Close();  // closing a closed table does nothing
    t.Open();
    EXPECT_EQ(t.recordCount(), 1);
    EXPECT_EQ(t.fieldCount(), 3);
    EXPECT_EQ(t.FieldByName("ACTNOVO").asText(), "sim");
}

TEST_F(LegacyTableTest, WalkingAClosedTableFails) {
    LegacyTable t("Familias", "qtr17A", drive.legacyFolder());
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.recordCount(), 0);
    try {
        t.First();
        FAIL() << "walked";
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Familias: Cannot perform this operation on a closed dataset");
    }
    EXPECT_THROW(t.Next(), DataError);
}

TEST_F(LegacyTableTest, MissingFolderFileOrMemoFailsTheOpenNamingThePath) {
    DbfWriter withMemo(0x83, {{"CLIOBSERV", 'M'}});
    withMemo.add({"observation"});
    const std::string qtr13 = drive.write(withMemo, "QTR13.DBF");
    std::filesystem::remove(drive.file("QTR13.DBT"));

    struct Case {
        const char* component;
        const char* file;
        std::string folder;
        std::string error;
    };
#ifdef _WIN32
    // The paths are the machine's own: each is named once.
    const std::string absent = drive.drive() + "\\Ausente";
    const Case cases[] = {
        {"Forneced", "QTR02", drive.folder(), "Table file not found: " + drive.file("QTR02.DBF")},
        {"Forneced", "QTR02", absent, "Directory not found: " + absent},
        {"Clientes", "QTR13", drive.folder(), "Memo file not found for " + qtr13 + ": " + drive.file("QTR13.DBT")},
    };
#else
    const Case cases[] = {
        {"Forneced", "QTR02", "C:\\Quiltor",
         "Table file not found: C:\\Quiltor\\QTR02.DBF (" + drive.file("QTR02.DBF") + ")"},
        {"Forneced", "QTR02", "C:\\Ausente",
         "Directory not found: C:\\Ausente (" + drive.drive() + "/Ausente)"},
        {"Clientes", "QTR13", "C:\\Quiltor", "Memo file not found for " + qtr13 + ": " + drive.file("QTR13.DBT")},
    };
#endif
    for (const Case& c : cases) {
        LegacyTable t(c.component, c.file, c.folder);
        try {
            t.Open();
            ADD_FAILURE() << "opened " << c.file;
        } catch (const DataError& e) {
            EXPECT_EQ(e.what(), c.error);
        }
        EXPECT_FALSE(t.Active()) << "the table stays closed";
        EXPECT_TRUE(t.Eof());
    }
}

TEST_F(LegacyTableTest, MemoFileIsFoundWithoutRegardToCase) {
    DbfWriter w(0x83, {{"CLINOMECO", 'C', 10}, {"CLIOBSERV", 'M'}});
    w.add({"ANA", "linha 1\r\nlinha 2"});
    drive.write(w, "qtr13.dbf");  // memo written as qtr13.dbt
    std::filesystem::rename(drive.file("qtr13.dbt"), drive.file("Qtr13.DBT"));
    LegacyTable t("Clientes", "QTR13", drive.legacyFolder());
    t.Open();
    EXPECT_EQ(t.FieldByName("CLIOBSERV").asText(), "linha 1\r\nlinha 2");
}

TEST_F(LegacyTableTest, GridReadsAnyRowWithoutMovingTheCursor) {
    DbfWriter w(0x03, {{"POSCODIGO", 'N', 3}, {"POSDESCRI", 'C', 20}, {"POSFOTO", 'G'}});
    for (int i = 1; i <= 50; ++i) {
        if (i % 10 == 0) {
            w.addDeleted({std::to_string(i), "apagada"});
        } else {
            w.add({std::to_string(i), "dose " + std::to_string(i), i == 1 ? "\x01\x02" : ""});
        }
    }
    drive.write(w, "QTR49.DBF");
    LegacyTable t("Posologias", "QTR49", drive.legacyFolder());
    t.Open();
    t.Next();
    ASSERT_EQ(t.recordCount(), 45);
    ASSERT_EQ(t.fieldCount(), 3);
    EXPECT_EQ(t.columnName(0), "POSCODIGO");
    EXPECT_EQ(t.columnName(1), "POSDESCRI");
    EXPECT_EQ(t.displayText(0, 0), "1");
    EXPECT_EQ(t.displayText(8, 1), "dose 9");
    EXPECT_EQ(t.displayText(9, 0), "11") << "row 9 is the record after the deleted tenth";
    EXPECT_EQ(t.displayText(44, 0), "49");
    EXPECT_EQ(t.displayText(0, 2), "(BLOB)");
    EXPECT_EQ(t.displayText(1, 2), "");
    EXPECT_EQ(t.valueAt(44, 0), Value(std::int32_t{49}));
    EXPECT_EQ(t.displayText(45, 0), "") << "past the last row";
    EXPECT_EQ(t.displayText(0, 3), "") << "past the last column";
    EXPECT_EQ(t.columnName(3), "");
    EXPECT_EQ(t.recNo(), 1) << "the cursor did not move";
    EXPECT_EQ(t.FieldByName("POSCODIGO").asInteger(), 2);
}

TEST_F(LegacyTableTest, AnomaliesAreKeptOnTheTableUntilItOpensAgain) {
    DbfWriter w(0x03, {{"CLIDTNASC", 'D'}});
    w.add({"20240101"}).add({"20241301"}).headerRecordCount(5);
    drive.write(w, "QTR13.DBF");
    LegacyTable t("Clientes", "QTR13", drive.legacyFolder());
    t.Open();
    ASSERT_EQ(t.anomalies().size(), 1u);
    EXPECT_EQ(t.anomalies()[0].kind, dbf::AnomalyKind::RecordsMissing);
    EXPECT_EQ(t.anomalies()[0].file, drive.file("QTR13.DBF"));
    (void)walk(t, "CLIDTNASC");
    ASSERT_EQ(t.anomalies().size(), 2u);
    EXPECT_EQ(t.anomalies()[1].kind, dbf::AnomalyKind::ImpossibleDate);
    t.Close();
    EXPECT_EQ(t.anomalies().size(), 2u);
    t.Open();
    EXPECT_EQ(t.anomalies().size(), 1u);
}

// A copy of a file of the corpus (tests/legacy/corpus) and its memo file, as `name` in the folder.
void copyFromCorpus(const LegacyDrive& drive, const std::string& file, const std::string& name) {
    const std::filesystem::path from = std::filesystem::path(MIG_SOURCE_DIR) / "tests/legacy/corpus" / file;
    const std::filesystem::path to = std::filesystem::path(drive.folder()) / name;
    std::filesystem::copy_file(from, to);
    for (const char* memo : {".dbt", ".fpt"}) {
        std::filesystem::path m = from;
        m.replace_extension(memo);
        if (std::filesystem::exists(m)) std::filesystem::copy_file(m, std::filesystem::path(to).replace_extension(memo));
    }
}

TEST_F(LegacyTableTest, CodePageOfAFileThatRecordsNoneIsDecidedFromItsText) {
    // Written by TDbf in code page 850, language driver 0.
    copyFromCorpus(drive, "tdbf_fpc_oem/TD3.DBF", "QTR13.DBF");
    LegacyTable t("Clientes", "QTR13", drive.legacyFolder());
    t.Open();
    EXPECT_EQ(t.codePageSource(), dbf::CodePageSource::Decided);
    EXPECT_EQ(t.codePageName(), "CP850");
    EXPECT_TRUE(t.codePageDecisionMattered()) << "the sample held accented names";
    EXPECT_EQ(walk(t, "NOME"), (std::vector<std::string>{utf8ToWin1252("João da Conceição"),
                                                         utf8ToWin1252("Açúcar cristal"),
                                                         utf8ToWin1252("ARAÇATUBA ÉPOCA"),
                                                         utf8ToWin1252("Maçã & Limão"), "Plain ASCII"}));
    t.Close();
    EXPECT_EQ(t.codePageSource(), dbf::CodePageSource::Decided) << "kept after Close";
    EXPECT_EQ(t.codePageName(), "CP850");
    EXPECT_TRUE(t.codePageDecisionMattered());

    // The same values in WIN1252, also with no code page recorded.
    LegacyTable ansi("Medicos", "QTR19", drive.legacyFolder());
    copyFromCorpus(drive, "tdbf_fpc_ansi/TD3.DBF", "QTR19.DBF");
    ansi.Open();
    EXPECT_EQ(ansi.codePageSource(), dbf::CodePageSource::Decided);
    EXPECT_EQ(ansi.codePageName(), "WIN1252");
    EXPECT_EQ(ansi.FieldByName("NOME").asText(), utf8ToWin1252("João da Conceição"));
}

TEST_F(LegacyTableTest, EnvironmentNamesTheCodePageOfEveryFileWhateverItRecords) {
    // CP850 text in a file that records WIN1252 (driver byte 0x03): a wrong mark.
    copyFromCorpus(drive, "tdbf_fpc_oem/TD3.DBF", "QTR13.DBF");
    {
        std::fstream f(drive.folder() + "/QTR13.DBF", std::ios::binary | std::ios::in | std::ios::out);
        f.seekp(29);
        f.put('\x03');
    }
    DbfWriter plain(0x03, {{"CLINOMECO", 'C', 10}});
    plain.add({"JO\xC7O"});  // "JOÃO" in CP850, "JOÇO" in WIN1252: too little to decide on
    drive.write(plain, "QTR19.DBF");

    LegacyTable marked("Clientes", "QTR13", drive.legacyFolder());
    LegacyTable unmarked("Medicos", "QTR19", drive.legacyFolder());
    marked.Open();
    unmarked.Open();
    EXPECT_EQ(marked.codePageSource(), dbf::CodePageSource::Recorded);
    EXPECT_EQ(marked.FieldByName("NOME").asText(), "Jo\xC6o da Concei\x87\xC6o") << "read as its mark says";
    EXPECT_EQ(unmarked.codePageSource(), dbf::CodePageSource::Decided);
    EXPECT_EQ(unmarked.FieldByName("CLINOMECO").asText(), "JO\xC7O") << "read as WIN1252";
    marked.Close();
    unmarked.Close();
    {
        const ScopedEnv env(kLegacyCodePageVariable, "850");
        marked.Open();
        unmarked.Open();
        EXPECT_EQ(marked.codePageSource(), dbf::CodePageSource::Named);
        EXPECT_EQ(marked.FieldByName("NOME").asText(), utf8ToWin1252("João da Conceição"));
        EXPECT_EQ(unmarked.codePageSource(), dbf::CodePageSource::Named);
        EXPECT_FALSE(unmarked.codePageDecisionMattered());
        EXPECT_EQ(unmarked.FieldByName("CLINOMECO").asText(), utf8ToWin1252("JOÃO"));
        marked.Close();
        unmarked.Close();
    }
    const ScopedEnv env(kLegacyCodePageVariable, "851x");
    try {
        marked.Open();
        FAIL() << "opened";
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "MIGRADOR_LEGACY_CODEPAGE: unknown code page '851x'");
    }
}

TEST_F(LegacyTableTest, GridShowsTheTextOfAVarcharMarkedBinary) {
    copyFromCorpus(drive, "infused_dbf/dbase_32.dbf", "QTR49.DBF");
    LegacyTable t("Posologias", "QTR49", drive.legacyFolder());
    t.Open();
    EXPECT_EQ(t.displayText(0, 0), "Bad Meets Evil");
    EXPECT_EQ(t.field(0).asText(), "Bad Meets Evil");
}

TEST_F(LegacyTableTest, ReadingNeverChangesTheFiles) {
    DbfWriter w(0x83, {{"CLINOMECO", 'C', 10}, {"CLIOBSERV", 'M'}});
    w.add({"ANA", "obs"}).addDeleted({"BIA", "x"});
    const std::string dbfPath = drive.write(w, "QTR13.DBF");
    const std::string memoPath = drive.file("QTR13.DBT");
    const auto before = std::filesystem::last_write_time(dbfPath);
    const auto permsBefore = std::filesystem::status(dbfPath).permissions();
    const std::string dbfBytes = legacytest::readBytes(dbfPath);
    const std::string memoBytes = legacytest::readBytes(memoPath);
    {
        LegacyTable t("Clientes", "QTR13", drive.legacyFolder());
        t.Open();
        (void)walk(t, "CLIOBSERV");
        (void)t.displayText(0, 1);
        t.Close();
    }
    EXPECT_EQ(legacytest::readBytes(dbfPath), dbfBytes);
    EXPECT_EQ(legacytest::readBytes(memoPath), memoBytes);
    EXPECT_EQ(std::filesystem::last_write_time(dbfPath), before);
    EXPECT_EQ(std::filesystem::status(dbfPath).permissions(), permsBefore);
}

TEST(LegacyTables, TheTwelveTablesOfTheMainWindow) {
    const auto list = legacyTableList();
    ASSERT_EQ(list.size(), 12u);
    std::vector<std::string> rows;
    for (const LegacyTableInfo& t : list) {
        rows.push_back(std::string(t.component) + " " + std::string(t.fileName) + " " + std::string(t.dataSource));
    }
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "FormaFarma QTR05 DS_FormaFarma", "Forneced QTR02 DS_Forneced", "Familias qtr17A DS_Familias",
                        "Clientes QTR13 DS_Clientes", "Medicos QTR19 DS_Medicos", "Componen QTR23 DS_Componen",
                        "Capsulas QTR28 DS_Capsulas", "Veiculos QTR24 DS_Veiculos", "Embalagens QTR26 DS_Embalagens",
                        "Fabric QTR03 DS_Fabric", "Bairros QTR42A DS_Bairros", "Posologias QTR49 DS_Posologias"}));
    ASSERT_NE(findLegacyTable("Familias"), nullptr);
    EXPECT_EQ(findLegacyTable("Familias")->fileName, "qtr17A");
    EXPECT_EQ(findLegacyTable("familias"), nullptr);

    const auto tables = makeLegacyTables();
    ASSERT_EQ(tables.size(), 12u);
    EXPECT_EQ(tables[2]->name(), "Familias");
    EXPECT_EQ(tables[2]->fileName(), "qtr17A");
    EXPECT_EQ(tables[2]->folder(), "C:\\Quiltor");
    EXPECT_FALSE(tables[2]->Active());
}

}  // namespace
}  // namespace mig
