// The code page of a file that records none, decided from its text: names written in each
// code page, in lower case, in capitals, mixed, with symbols, and plain ASCII; WIN1252 unless
// the text clearly says otherwise.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "legacy/dbf/CodePage.h"
#include "legacy/dbf/CodePageEvidence.h"
#include "legacy/dbf/DbfReader.h"
#include "target/field/Win1252.h"
#include "tests/legacy/LegacyFixtures.h"
#include "tools/dbf/DbfWriter.h"

namespace mig::dbf {
namespace {

using legacytest::InMemoryTable;

struct SampleCase {
    const char* name;
    int writtenIn;                     // the code page the names are written in
    std::vector<const char*> names;    // UTF-8
    int decided;
};

// The bytes of `utf8` in code page `number`; every character must be in it.
std::string encoded(const char* utf8, int number) {
    const std::string text = utf8ToWin1252(utf8);
    const CodePage& page = *CodePage::find(number);
    const std::string bytes = page.fromWin1252(text);
    EXPECT_EQ(page.toWin1252(bytes), text) << utf8 << " is not all in code page " << number;
    return bytes;
}

std::vector<SampleCase> sampleCases() {
    const std::vector<const char*> lower = {"João da Conceição", "Farmácia São José", "Açúcar cristal", "Maçã & Limão",
                                            "você, avô, câmara", "Água e óleo"};
    const std::vector<const char*> capitals = {"JOÃO DA CONCEIÇÃO", "FARMÁCIA SÃO JOSÉ", "AÇÚCAR CRISTAL",
                                               "ARAÇATUBA ÉPOCA", "MAÇÃ & LIMÃO", "ÁGUA E ÓLEO"};
    const std::vector<const char*> mixed = {"José da Silva", "Maria Aparecida", "Antônio Carlos", "Conceição Lima"};
    return {
        {"win1252 lower case", 1252, lower, 1252},
        {"win1252 capitals", 1252, capitals, 1252},
        {"win1252 mixed case", 1252, mixed, 1252},
        // The WIN1252 byte of Ç is the CP850 byte of Ã: capitals with Ç alone stay WIN1252.
        {"win1252 capitals with Ç alone", 1252, {"PREÇO", "FORÇA", "ARAÇATUBA", "AÇO", "LAÇO"}, 1252},
        {"win1252 pharmacy symbols", 1252,
         {"VITAMINA C 500µg", "Nº 12, 1º ANDAR", "ÁCIDO FÓLICO 5 mg", "TYLENOL® 750", "D´ÁVILA", "SANT’ANA"}, 1252},
        {"win1252 memo punctuation", 1252, {"“Texto” – observação…", "Preço: € 10", "Obs.: 2ª via"}, 1252},
        {"cp850 lower case", 850, lower, 850},
        {"cp850 capitals", 850, capitals, 850},
        {"cp850 mixed case", 850, mixed, 850},
        {"cp850 one name among plain ones", 850, {"ANA", "BIA", "CARLOS", "DORA", "JOSÉ"}, 850},
        // The CP850 byte of Ç is WIN1252's €, and there it stands inside a word.
        {"cp850 capitals with Ç alone", 850, {"AÇO", "LAÇO"}, 850},
        {"cp860 lower case", 860, lower, 860},
        {"cp860 capitals", 860, capitals, 860},
        {"cp860 mixed case", 860, mixed, 860},
        // CP437 has no ã, õ or accented capitals but Ç, É, Ü; without them its text is CP850's.
        {"cp437 Portuguese it has", 437, {"José", "você", "câmara", "PREÇO", "Açúcar"}, 850},
        {"cp437 currency signs", 437, {"Preço: 50¢ ou 10¥"}, 437},
        {"plain ascii", 850, {"PLAIN ASCII", "Maria da Silva", "Rua 7, n. 12"}, 1252},
        {"nothing", 850, {}, 1252},
        // Too little to go by: "JOÃO" in CP850 is "JOÇO" in WIN1252, and both are spelt like words.
        {"cp850 JOÃO alone", 850, {"JOÃO"}, 1252},
    };
}

class SampleDecisions : public ::testing::TestWithParam<SampleCase> {};

TEST_P(SampleDecisions, DecideTheCodePage) {
    const SampleCase& c = GetParam();
    CodePageEvidence evidence;
    for (const char* name : c.names) evidence.add(encoded(name, c.writtenIn));
    const auto& s = evidence.scores();
    EXPECT_EQ(evidence.decide(), c.decided) << "scores 1252 " << s[0] << ", 850 " << s[1] << ", 860 " << s[2]
                                            << ", 437 " << s[3];
}

INSTANTIATE_TEST_SUITE_P(Names, SampleDecisions, ::testing::ValuesIn(sampleCases()),
                         [](const ::testing::TestParamInfo<SampleCase>& param) {
                             return legacytest::caseName(param.param.name);
                         });

TEST(CodePageEvidence, AStrayByteDoesNotOutweighAFileOfText) {
    CodePageEvidence evidence;
    for (int i = 0; i < 20; ++i) evidence.add(encoded("João da Conceição, Farmácia São José", 1252));
    evidence.add("x\x81y\x90");  // bytes WIN1252 leaves undefined
    EXPECT_EQ(evidence.decide(), 1252);
    EXPECT_EQ(evidence.nonAsciiBytes(), 20 * 6 + 2);
}

// The decision as a file that records no code page gets it: from a sample of its records and
// memos, taken in stretches over the whole file.
TEST(CodePageEvidence, AFileThatRecordsNoneIsReadInTheCodePageItsTextIsWrittenIn) {
    for (const int page : {1252, 850, 860}) {
        SCOPED_TRACE(page);
        DbfWriter w(0x83, {{"NOME", 'C', 30}, {"OBS", 'M'}});
        // Thousands of plain records, the accented ones only near the end: the sample reaches them.
        for (int i = 0; i < 5000; ++i) w.add({"CLIENTE " + std::to_string(i), ""});
        w.add({encoded("JOÃO DA CONCEIÇÃO", page), encoded("Observação: pagará à vista", page)});
        w.add({encoded("Farmácia São José", page), ""});
        const InMemoryTable t(w);
        EXPECT_EQ(t->codePageSource(), CodePageSource::Decided);
        EXPECT_EQ(t->codePage().number(), page);
        EXPECT_TRUE(t->decidedTextRead());
        EXPECT_EQ(t->value(5000, 0), Value(utf8ToWin1252("JOÃO DA CONCEIÇÃO")));
        EXPECT_EQ(t->value(5000, 1), Value(utf8ToWin1252("Observação: pagará à vista")));
    }
}

TEST(CodePageEvidence, MemosAloneDecide) {
    DbfWriter w(0x83, {{"CODIGO", 'N', 4}, {"OBS", 'M'}});
    w.add({"1", encoded("Observação: cliente desde 1990", 850)}).add({"2", encoded("Não atender após às 18h", 850)});
    const InMemoryTable t(w);
    EXPECT_EQ(t->codePage().number(), 850);
}

TEST(CodePageEvidence, PlainAsciiIsReadAsWin1252AndTheDecisionMadeNoDifference) {
    DbfWriter w(0x03, {{"NOME", 'C', 20}});
    w.add({"ANA"}).add({"BIA"});
    const InMemoryTable t(w);
    EXPECT_EQ(t->codePageSource(), CodePageSource::Decided);
    EXPECT_EQ(t->codePage().number(), 1252);
    EXPECT_FALSE(t->decidedTextRead());
}

TEST(CodePageEvidence, TextBeyondTheSampleStillTellsThatTheDecisionMattered) {
    DbfWriter w(0x03, {{"NOME", 'C', 20}});
    // 257 records to each of the eight stretches the sample takes: the sample takes 256 of each.
    for (int i = 0; i < 8 * 257; ++i) w.add({i == 256 ? std::string("Jos\xE9") : std::string("ANA")});
    const InMemoryTable t(w);
    EXPECT_EQ(t->codePage().number(), 1252);
    EXPECT_FALSE(t->decidedTextRead()) << "the sample held ASCII only";
    EXPECT_EQ(t->value(256, 0), Value(std::string("Jos\xE9")));
    EXPECT_TRUE(t->decidedTextRead());
}

TEST(CodePageEvidence, RecordedCodePagesAreNotDecided) {
    DbfWriter w(0x03, {{"NOME", 'C', 20}});
    w.languageDriver(0x03).add({encoded("JOÃO DA CONCEIÇÃO", 850)});
    const InMemoryTable t(w);
    EXPECT_EQ(t->codePageSource(), CodePageSource::Recorded);
    EXPECT_EQ(t->codePage().number(), 1252);
    (void)t->value(0, 0);
    EXPECT_FALSE(t->decidedTextRead());
}

}  // namespace
}  // namespace mig::dbf
