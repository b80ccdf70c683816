// Real dBase files made by other programs (tests/legacy/corpus, see its SOURCES.md): the
// fixtures of two public dBase readers and tables written by Free Pascal's TDbf. Every file
// opens or is refused with its reason, and reads to its end without a crash; the values that
// matter are checked against the files' bytes and against what TDbf was asked to write
// (corpus/tdbf/mkdbf.pas).
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "legacy/LegacyTable.h"
#include "legacy/dbf/CodePage.h"
#include "legacy/dbf/DbfFile.h"
#include "target/field/Calendar.h"
#include "target/field/Errors.h"
#include "target/field/Win1252.h"
#include "tests/legacy/LegacyFixtures.h"

namespace mig::dbf {
namespace {

using legacytest::days;
using legacytest::show;

std::string corpusFolder() { return std::string(MIG_SOURCE_DIR) + "/tests/legacy/corpus"; }
std::string corpus(const std::string& file) { return corpusFolder() + "/" + file; }

std::string errorOf(const std::string& path, ReadOptions options = {}) {
    try {
        const DbfFile f(path, options);
        return "(opened)";
    } catch (const DataError& e) {
        return e.what();
    }
}

// Every value of every record and the grid's text of every cell, as a migration and the grid
// read them.
void readEverything(const DbfReader& r) {
    for (std::int64_t p = r.nextServed(0); p < r.physicalCount(); p = r.nextServed(p + 1)) {
        for (int f = 0; f < r.fieldCount(); ++f) (void)r.value(p, f);
    }
}

struct FileCase {
    const char* file;
    const char* error;  // with %s for the path; nullptr when the file opens
    int fields = 0;
    std::int64_t rows = 0;
    int codePage = 0;
    CodePageSource source = CodePageSource::Recorded;
    std::size_t anomalies = 0;
};

constexpr auto kRecorded = CodePageSource::Recorded;
constexpr auto kDecided = CodePageSource::Decided;

const FileCase kFiles[] = {
    {"infused_dbf/cp1251.dbf", nullptr, 2, 4, 1251, kRecorded},
    {"infused_dbf/dbase_02.dbf", "Bad dBase header in %s: unsupported version byte 0x02"},
    {"infused_dbf/dbase_03.dbf", nullptr, 31, 14, 1252, kDecided},
    {"infused_dbf/dbase_03_cyrillic.dbf", "Unsupported language driver 0xF0 in %s"},
    {"infused_dbf/dbase_30.dbf", nullptr, 145, 34, 1252, kRecorded},
    {"infused_dbf/dbase_31.dbf", nullptr, 10, 77, 1252, kRecorded},
    {"infused_dbf/dbase_32.dbf", nullptr, 1, 1, 1252, kRecorded},
    {"infused_dbf/dbase_83.dbf", nullptr, 15, 67, 1252, kDecided},
    {"infused_dbf/dbase_83_missing_memo.dbf", "Memo file not found for %s: %s"},
    {"infused_dbf/dbase_8b.dbf", nullptr, 6, 10, 1252, kDecided},
    {"infused_dbf/dbase_8c.dbf", "Memo file not found for %s: %s"},
    {"infused_dbf/dbase_f5.dbf", nullptr, 59, 975, 850, kDecided},
    {"infused_dbf/foxprodb/calls.dbf", nullptr, 6, 16, 1252, kRecorded},
    {"infused_dbf/foxprodb/contacts.dbf", nullptr, 29, 5, 1252, kRecorded},
    {"infused_dbf/foxprodb/setup.dbf", nullptr, 2, 3, 1252, kRecorded},
    {"infused_dbf/foxprodb/types.dbf", nullptr, 2, 2, 1252, kRecorded},
    {"infused_dbf/mazovia.dbf", "Unsupported language driver 0x69 in %s"},
    {"infused_dbf/polygon.dbf", "Bad dBase header in %s: record length 1 is too small"},
    {"olemb_dbfread/invalid_value.dbf", nullptr, 2, 2, 1252, kDecided, 1},
    {"olemb_dbfread/memotest.dbf", nullptr, 3, 2, 1252, kDecided},
    {"olemb_dbfread/no_memofile.dbf", "Memo file not found for %s: %s"},
    {"olemb_dbfread/people.dbf", nullptr, 2, 2, 1252, kDecided},
    {"tdbf_fpc_ansi/TD3.DBF", nullptr, 6, 5, 1252, kDecided},
    {"tdbf_fpc_ansi/TD3E.DBF", nullptr, 6, 0, 1252, kDecided},
    {"tdbf_fpc_ansi/TD4.DBF", nullptr, 6, 5, 1252, kRecorded},
    {"tdbf_fpc_ansi/TD4E.DBF", nullptr, 6, 0, 1252, kRecorded},
    {"tdbf_fpc_ansi/TD7.DBF", nullptr, 7, 5, 1252, kRecorded},
    {"tdbf_fpc_ansi/TD7E.DBF", nullptr, 7, 0, 1252, kRecorded},
    {"tdbf_fpc_ansi/TDF25.DBF", nullptr, 7, 5, 1252, kRecorded},
    {"tdbf_fpc_ansi/TDF25E.DBF", nullptr, 7, 0, 1252, kRecorded},
    {"tdbf_fpc_ansi/TDV30.DBF", nullptr, 8, 5, 1252, kRecorded},
    {"tdbf_fpc_ansi/TDV30E.DBF", nullptr, 8, 0, 1252, kRecorded},
    {"tdbf_fpc_oem/TD3.DBF", nullptr, 6, 5, 850, kDecided},
    {"tdbf_fpc_oem/TD3E.DBF", nullptr, 6, 0, 1252, kDecided},
    {"tdbf_fpc_oem/TD4.DBF", nullptr, 6, 5, 850, kRecorded},
    {"tdbf_fpc_oem/TD4E.DBF", nullptr, 6, 0, 850, kRecorded},
    {"tdbf_fpc_oem/TD7.DBF", nullptr, 7, 5, 850, kRecorded},
    {"tdbf_fpc_oem/TD7E.DBF", nullptr, 7, 0, 850, kRecorded},
    {"tdbf_fpc_oem/TDF25.DBF", nullptr, 7, 5, 850, kRecorded},
    {"tdbf_fpc_oem/TDF25E.DBF", nullptr, 7, 0, 850, kRecorded},
    {"tdbf_fpc_oem/TDV30.DBF", nullptr, 8, 5, 850, kRecorded},
    {"tdbf_fpc_oem/TDV30E.DBF", nullptr, 8, 0, 850, kRecorded},
};

std::string withPath(std::string text, const std::string& path, const std::string& memoPath) {
    const auto first = text.find("%s");
    if (first != std::string::npos) text.replace(first, 2, path);
    const auto second = text.find("%s");
    if (second != std::string::npos) text.replace(second, 2, memoPath);
    return text;
}

TEST(Corpus, EveryFileOpensOrIsRefusedWithItsReason) {
    std::size_t listed = 0;
    for (const FileCase& c : kFiles) {
        SCOPED_TRACE(c.file);
        const std::string path = corpus(c.file);
        ASSERT_TRUE(std::filesystem::exists(path));
        ++listed;
        if (c.error) {
            const std::filesystem::path p(path);
            const std::string memo = (p.parent_path() / (p.stem().string() + (p.stem().string() == "no_memofile" ? ".FPT" : ".DBT"))).string();
            EXPECT_EQ(errorOf(path), withPath(c.error, path, memo));
            continue;
        }
        const DbfFile f(path);
        const DbfReader& r = f.reader();
        readEverything(r);
        EXPECT_EQ(r.fieldCount(), c.fields);
        EXPECT_EQ(r.rowCount(), c.rows);
        EXPECT_EQ(r.codePage().number(), c.codePage);
        EXPECT_EQ(r.codePageSource(), c.source);
        EXPECT_EQ(r.anomalies().size(), c.anomalies) << (r.anomalies().empty() ? "" : describe(r.anomalies()[0]));
    }
    // No file of the corpus is left out of the list.
    std::size_t files = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(corpusFolder())) {
        const std::string ext = e.path().extension().string();
        if (ext == ".dbf" || ext == ".DBF") ++files;
    }
    EXPECT_EQ(files, listed);
}

// A migration reads character fields in place (DbfReader::text): in every file that opens, the
// text of every character field of every record is the text its value holds, its code page
// converted, its NUL padding and trailing blanks dropped, empty where a null flag is set; other
// fields have no such text. The files whose code page must be named are read with it.
TEST(Corpus, CharacterTextsReadInPlaceAreTheirValues) {
    std::vector<std::pair<std::string, ReadOptions>> files;
    for (const FileCase& c : kFiles) {
        if (!c.error) files.emplace_back(c.file, ReadOptions{});
    }
    files.emplace_back("infused_dbf/mazovia.dbf", ReadOptions{852});
    files.emplace_back("infused_dbf/dbase_03_cyrillic.dbf", ReadOptions{866});
    std::size_t converted = 0;
    for (const auto& [file, options] : files) {
        SCOPED_TRACE(file);
        const DbfFile f(corpus(file), options);
        const DbfReader& r = f.reader();
        std::string scratch;
        for (std::int64_t p = r.nextServed(0); p < r.physicalCount(); p = r.nextServed(p + 1)) {
            for (int i = 0; i < r.fieldCount(); ++i) {
                const Value value = r.value(p, i);
                const std::optional<std::string_view> text = r.text(p, i, scratch);
                if (r.field(i).type != 'C') {
                    EXPECT_FALSE(text.has_value()) << r.field(i).name;
                    continue;
                }
                ASSERT_TRUE(text.has_value()) << r.field(i).name;
                const std::string* held = std::get_if<std::string>(&value);
                EXPECT_EQ(std::string(*text), held ? *held : std::string())
                    << r.field(i).name << " of record " << p << ": " << show(value);
                if (!text->empty() && text->data() == scratch.data()) ++converted;
            }
        }
    }
    EXPECT_GT(converted, 0u) << "no text of the corpus needed its code page converted";
}

TEST(Corpus, FilesRefusedForTheirCodePageOpenWhenOneIsNamed) {
    ReadOptions cp852;
    cp852.codePage = 852;
    // Nullable fields without a _NullFlags field, read as not null.
    const DbfFile mazovia(corpus("infused_dbf/mazovia.dbf"), cp852);
    const DbfReader& r = mazovia.reader();
    ASSERT_EQ(r.fieldCount(), 2);
    ASSERT_EQ(r.rowCount(), 2);
    EXPECT_EQ(r.field(0).flags, kFlagNullable);
    EXPECT_EQ(r.value(0, 0), Value(std::string("2020-01-04")));
    EXPECT_EQ(r.value(0, 1), Value(std::string("English")));
    // Its writer leaves the flag byte of a record 0.
    ASSERT_EQ(r.anomalies().size(), 2u);
    EXPECT_EQ(r.anomalies()[1].kind, AnomalyKind::BadFlag);
}

// What TDbf was asked to write (mkdbf.pas): six records, the second one deleted.
struct TdbfRecord {
    const char* oem;   // NOME as written in code page 850
    const char* ansi;  // and in WIN1252
    const char* utf8;
    std::int32_t codigo;
    double preco;
    std::optional<CivilDate> nasc;
    std::optional<bool> ativo;
    bool obs;
    std::optional<std::array<int, 6>> momento;  // year, month, day, hour, minute, second
    double valor;
};

const TdbfRecord kTdbf[] = {
    {"Jo\xC6o da Concei\x87\xC6o", "Jo\xE3o da Concei\xE7\xE3o", "João da Conceição", 1000, -5.5,
     CivilDate{1930, 1, 3}, false, true, std::array<int, 6>{1999, 12, 31, 23, 59, 58}, -2469.1356},
    {"Farm\xA0" "cia S\xC6o Jos\x82", "Farm\xE1" "cia S\xE3o Jos\xE9", "Farmácia São José", 1993, 6.84,
     CivilDate{1947, 3, 8}, true, true, std::array<int, 6>{2000, 11, 30, 22, 58, 57}, -1234.5678},
    {"A\x87\xA3" "car cristal", "A\xE7\xFA" "car cristal", "Açúcar cristal", 2986, 19.18, CivilDate{1964, 5, 13}, false,
     false, std::array<int, 6>{2001, 10, 29, 21, 57, 56}, 0},
    {"ARA\x80" "ATUBA \x90POCA", "ARA\xC7" "ATUBA \xC9POCA", "ARAÇATUBA ÉPOCA", 3979, 31.52, CivilDate{1981, 7, 18},
     true, true, std::nullopt, 1234.5678},
    {"Ma\x87\xC6 & Lim\xC6o", "Ma\xE7\xE3 & Lim\xE3o", "Maçã & Limão", 4972, 43.86, std::nullopt, std::nullopt, true,
     std::array<int, 6>{2003, 8, 27, 19, 55, 54}, 2469.1356},
    {"Plain ASCII", "Plain ASCII", "Plain ASCII", 5965, 56.2, CivilDate{2015, 11, 28}, std::nullopt, true,
     std::array<int, 6>{2004, 7, 26, 18, 54, 53}, 3703.7034},
};

struct TdbfTable {
    const char* file;
    bool oem;
    int level;
};

class TdbfTables : public ::testing::TestWithParam<TdbfTable> {};

TEST_P(TdbfTables, HoldWhatTdbfWroteInThem) {
    const TdbfTable& c = GetParam();
    const DbfFile f(corpus(c.file));
    const DbfReader& r = f.reader();
    const auto column = [&](const char* name) {
        const int i = r.fieldIndex(name);
        EXPECT_GE(i, 0) << name;
        return i;
    };
    const int nome = column("NOME"), codigo = column("CODIGO"), preco = column("PRECO"), nasc = column("NASC"),
              ativo = column("ATIVO"), obs = column("OBS");
    const int momento = c.level >= 7 ? column("MOMENTO") : -1;
    const int valor = c.level == 30 ? column("VALOR") : -1;
    ASSERT_EQ(r.physicalCount(), 6);
    ASSERT_EQ(r.rowCount(), 5);
    EXPECT_TRUE(r.isDeleted(1));
    for (std::int64_t p = 0; p < 6; ++p) {
        SCOPED_TRACE(::testing::Message() << c.file << " record " << p + 1);
        const TdbfRecord& e = kTdbf[p];
        // The name's bytes as they stand in the file, then as the program reads them.
        std::string bytes = c.oem ? e.oem : e.ansi;
        bytes.resize(30, ' ');
        EXPECT_EQ(r.rawField(p, nome), bytes);
        if (r.isDeleted(p)) continue;  // never served
        const Value name = r.value(p, nome);
        EXPECT_EQ(name, Value(utf8ToWin1252(e.utf8))) << show(name);
        EXPECT_EQ(r.value(p, codigo), Value(e.codigo));
        EXPECT_EQ(r.value(p, preco), Value(e.preco));
        EXPECT_EQ(r.value(p, nasc), e.nasc ? Value(*makeDate(e.nasc->year, e.nasc->month, e.nasc->day)) : Value());
        EXPECT_EQ(r.value(p, ativo), e.ativo ? Value(*e.ativo) : Value());
        const std::string memo = std::string("Observação ") + std::to_string(p) + ": " + e.utf8 +
                                 "\r\nsegunda linha com acentuação";
        EXPECT_EQ(r.value(p, obs), e.obs ? Value(utf8ToWin1252(memo)) : Value());
        if (momento >= 0) {
            const auto& m = e.momento;
            const Value expected =
                m ? Value(DateTime{toDateTimeNumber(Date{days((*m)[0], (*m)[1], (*m)[2])},
                                                    Time{(((*m)[3] * 60 + (*m)[4]) * 60 + (*m)[5]) * 1000})})
                  : Value();
            const Value got = r.value(p, momento);
            EXPECT_EQ(got, expected) << show(got) << " from " << printableBytes(r.rawField(p, momento));
        }
        if (valor >= 0) {
            EXPECT_EQ(r.value(p, valor), Value(e.valor));
        }
    }
    EXPECT_TRUE(r.anomalies().empty()) << describe(r.anomalies().front());
}

INSTANTIATE_TEST_SUITE_P(Levels, TdbfTables,
                         ::testing::Values(TdbfTable{"tdbf_fpc_oem/TD3.DBF", true, 3},
                                           TdbfTable{"tdbf_fpc_oem/TD4.DBF", true, 4},
                                           TdbfTable{"tdbf_fpc_oem/TD7.DBF", true, 7},
                                           TdbfTable{"tdbf_fpc_oem/TDF25.DBF", true, 25},
                                           TdbfTable{"tdbf_fpc_oem/TDV30.DBF", true, 30},
                                           TdbfTable{"tdbf_fpc_ansi/TD3.DBF", false, 3},
                                           TdbfTable{"tdbf_fpc_ansi/TD4.DBF", false, 4},
                                           TdbfTable{"tdbf_fpc_ansi/TD7.DBF", false, 7},
                                           TdbfTable{"tdbf_fpc_ansi/TDF25.DBF", false, 25},
                                           TdbfTable{"tdbf_fpc_ansi/TDV30.DBF", false, 30}),
                         [](const ::testing::TestParamInfo<TdbfTable>& param) {
                             return legacytest::caseName(param.param.file);
                         });

TEST(Corpus, Level7DateTimesAreBigEndianMillisecondsFromDayOne) {
    // The first record's MOMENTO in the bytes TDbf wrote: 63082367998000 ms, 1999-12-31 23:59:58.
    const DbfFile f(corpus("tdbf_fpc_oem/TD7.DBF"));
    const DbfReader& r = f.reader();
    const int momento = r.fieldIndex("MOMENTO");
    EXPECT_EQ(r.field(momento).type, '@');
    EXPECT_EQ(r.rawField(0, momento), std::string("\x42\xCC\xAF\xC1\x11\x6C\x18\x00", 8));
    EXPECT_EQ(r.value(0, momento), Value(DateTime{toDateTimeNumber(Date{days(1999, 12, 31)}, Time{86398000})}));
    EXPECT_EQ(r.rawField(3, momento), std::string(8, '\0'));
    EXPECT_EQ(r.value(3, momento), Value());
}

TEST(Corpus, DosTextOfAFileThatRecordsNoCodePageIsReadAsSuch) {
    // Catalan names of a FoxPro 2 file written in a DOS code page: "penedès", "química", "Antònia".
    const DbfFile f(corpus("infused_dbf/dbase_f5.dbf"));
    const DbfReader& r = f.reader();
    ASSERT_EQ(r.codePageSource(), CodePageSource::Decided);
    EXPECT_TRUE(r.decidedTextRead());
    std::size_t found = 0;
    for (std::int64_t p = r.nextServed(0); p < r.physicalCount(); p = r.nextServed(p + 1)) {
        for (int i = 0; i < r.fieldCount(); ++i) {
            if (r.field(i).type != 'C') continue;
            const std::string_view raw = r.rawField(p, i);
            const Value v = r.value(p, i);
            if (raw.find("pened\x8A" "s") != std::string_view::npos) {
                EXPECT_NE(std::get<std::string>(v).find(utf8ToWin1252("penedès")), std::string::npos);
                ++found;
            }
            if (raw.find("qu\xA1mic") != std::string_view::npos) {
                EXPECT_NE(std::get<std::string>(v).find(utf8ToWin1252("químic")), std::string::npos);
                ++found;
            }
        }
    }
    EXPECT_GT(found, 10u);
}

TEST(Corpus, VisualFoxProVarcharMarkedBinaryShowsItsText) {
    const DbfFile f(corpus("infused_dbf/dbase_32.dbf"));
    const DbfReader& r = f.reader();
    ASSERT_EQ(r.fieldCount(), 1);
    EXPECT_EQ(r.field(0).type, 'V');
    EXPECT_EQ(r.field(0).flags & kFlagBinary, kFlagBinary);
    EXPECT_EQ(r.field(0).kind, FieldKind::Text);
    EXPECT_EQ(r.value(0, 0), Value(std::string("Bad Meets Evil")));
}

// The corpus here is a copy of the team's shared one: the same bytes, when that is beside the
// repository.
TEST(Corpus, IsTheSharedCorpusByteForByte) {
    const std::filesystem::path shared = std::filesystem::path(MIG_SOURCE_DIR).parent_path() / "shared" / "dbf-corpus";
    if (!std::filesystem::is_directory(shared)) GTEST_SKIP() << "no shared corpus at " << shared;
    std::size_t compared = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(shared)) {
        if (!e.is_regular_file()) continue;
        const auto relative = std::filesystem::relative(e.path(), shared);
        SCOPED_TRACE(relative.string());
        const std::filesystem::path here = std::filesystem::path(corpusFolder()) / relative;
        ASSERT_TRUE(std::filesystem::exists(here));
        if (relative == "SOURCES.md") continue;  // ours says where the copy comes from
        EXPECT_EQ(legacytest::readBytes(here.string()), legacytest::readBytes(e.path().string()));
        ++compared;
    }
    EXPECT_GT(compared, 40u);
}

}  // namespace
}  // namespace mig::dbf
