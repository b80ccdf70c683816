// What both forms of the procedure tell the operator about a damaged legacy file, what a
// cancelled run leaves behind, and what the dataset shows after each step of the row-by-row form.
#include "tests/migrations/MigrationFixture.h"

#include <algorithm>

#include "tests/migrations/LegacyLayouts.h"

namespace mig::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using Texts = std::vector<std::string>;

// Asks to stop once `stopAfter` records are done; remembers what it was told.
class StoppingObserver : public MigrationObserver {
public:
    explicit StoppingObserver(std::int64_t stopAfter) : stopAfter_(stopAfter) {}
    void started(std::int64_t records) override {
        ++starts;
        total = records;
    }
    bool recordDone(std::int64_t done) override {
        last = done;
        return done < stopAfter_;
    }
    void finished() override { ++finishes; }

    int starts = 0;
    int finishes = 0;
    std::int64_t total = -1;
    std::int64_t last = 0;

private:
    std::int64_t stopAfter_;
};

dbf::DbfWriter formsTable() {
    return dbf::DbfWriter(0x03, {{"GRPCODIGO", 'N', 3}, {"GRPDESCRI", 'C', 30}, {"GRPVALTEX", 'C', 20}});
}
dbf::DbfWriter districtsTable() { return dbf::DbfWriter(0x03, {{"REGBAIRRO", 'C', 40}}); }

TEST_F(MigrationTest, AfterEachRowByRowStepTheDataSetShowsWhatTheServerHolds) {
    // The server sets a value of every row it stores (a column's default, a trigger), which the
    // dataset knows only from reading the row back.
    exec("alter table MEDICOS alter column OBSERVACAO set default 'SEM OBSERVACAO'");
    exec("alter table COMPONEN alter column CONTROLADA set default 'NAO'");
    exec("create trigger TAXABAIRRO_MAIUSCULAS for TAXABAIRRO before insert as "
         "begin new.BAIRRO = upper(new.BAIRRO); end");
    writeLegacy("Medicos", physiciansTable()
                               .add(physician("CRM1", "A"))
                               .add(physician("", "SEM CRM"))
                               .add(physician("CRM2", "B"))
                               .add(physician("CRM3", "C")));
    writeLegacy("Componen", rawMaterialsTable()
                                .add({"3", "AMIDO", "g", "1", "1", "1", ""})
                                .add({"1", "TALCO", "g", "1", "1", "1", ""})
                                .add({"2", "LACTOSE", "g", "1", "1", "1", ""}));
    writeLegacy("Bairros", districtsTable().add({"serra"}).add({"centro"}).add({"praia"}));
    // Two columns compared, the first telling the rows apart; the server sets one of them.
    const struct {
        MasterData kind;
        const char* first;
        const char* second;
        const char* table;  // the rows the dataset reads
    } cases[] = {
        {MasterData::Physicians, "CRM", "OBSERVACAO", "MEDICOS"},
        {MasterData::RawMaterials, "CODIGO", "CONTROLADA", "COMPONEN where GRUPO = 'MP'"},
        {MasterData::Districts, "BAIRRO", "TAXA", "TAXABAIRRO"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        preview(c.kind);
        ClientDataSet& target = targetOf(c.kind);
        const int first = target.fieldIndex(c.first);
        const int second = target.fieldIndex(c.second);
        ASSERT_GE(first, 0);
        ASSERT_GE(second, 0);
        const std::string sql = std::string("select ") + c.first + ", " + c.second + " from " + c.table;
        std::int64_t checked = 0;
        EachRecord compare([&](std::int64_t done) {
            SCOPED_TRACE("after record " + std::to_string(done));
            EXPECT_EQ(target.ChangeCount(), 0);
            Rows shown;
            for (int row = 0; row < target.RecordCount(); ++row) {
                shown.push_back({valueText(target.rowValue(row, first)), valueText(target.rowValue(row, second))});
            }
            Rows held = rows(sql);
            std::sort(shown.begin(), shown.end());
            std::sort(held.begin(), held.end());
            EXPECT_EQ(shown, held);
            ++checked;
        });
        EXPECT_EQ(run(c.kind, &compare).end, MigrationReport::End::Completed);
        EXPECT_EQ(checked, table->recordCount());
    }
    EXPECT_EQ(column("select BAIRRO from TAXABAIRRO order by BAIRRO"), (Texts{"CENTRO", "PRAIA", "SERRA"}));
    EXPECT_EQ(column("select distinct OBSERVACAO from MEDICOS"), Texts{"SEM OBSERVACAO"});
}

TEST_F(MigrationTest, AnomaliesOfTheLegacyFileAreToldOnTheSecondLineAndListedInTheDetails) {
    const std::string warning = w("Atenção: o arquivo %s tem 1 problema(s) de leitura; registros ou valores podem "
                                  "ter ficado de fora. Veja os detalhes.");
    const auto warningFor = [&](const std::string& file) {
        std::string text = warning;
        return text.replace(text.find("%s"), 2, file);
    };
    const struct {
        const char* name;
        MasterData kind;
        const char* legacyTable;
        dbf::DbfWriter writer;
        const char* file;
        const char* table;
        std::int64_t stored;
        const char* detail;  // a part of the anomaly's line
    } cases[] = {
        // The header promises four records; the file holds two.
        {"batch, records missing", MasterData::PharmaceuticalForms, "FormaFarma",
         formsTable().add({"1", "GEL", ""}).add({"2", "POMADA", ""}).headerRecordCount(4), "QTR05", "FORMAFAR", 2,
         "QTR05"},
        {"row by row, records missing", MasterData::Districts, "Bairros",
         districtsTable().add({"CENTRO"}).add({"SERRA"}).headerRecordCount(3), "QTR42A", "TAXABAIRRO", 2, "QTR42A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeLegacy(c.legacyTable, c.writer);
        const MigrationReport report = migrate(c.kind);
        EXPECT_EQ(report.text, w("Procedimento concluído.\n") + warningFor(c.file));
        ASSERT_EQ(table->anomalies().size(), 1U);
        EXPECT_EQ(report.details, w("Problemas de leitura do arquivo:\n") + dbf::describe(table->anomalies()[0]) + "\n");
        EXPECT_NE(report.details.find(c.detail), std::string::npos) << report.details;
        EXPECT_EQ(column(std::string("select count(*) from ") + c.table), Texts{std::to_string(c.stored)});
    }
}

TEST_F(MigrationTest, ACodePageDecidedFromTheTextIsToldOnTheFinalBox) {
    const auto decided = [](const char* file) {
        return w("Atenção: o arquivo ") + file +
               w(" não registra uma página de código conhecida; o texto foi lido como CP850, página decidida pelo "
                 "próprio texto.");
    };
    // Code page 850 in files that record none (language driver 0).
    writeLegacy("FormaFarma", formsTable().add({"1", "SOLU\x80\xC7O ORAL", ""}).add({"2", "C\xB5PSULA", ""}));
    MigrationReport report = migrate(MasterData::PharmaceuticalForms);
    EXPECT_EQ(report.text, w("Procedimento concluído.\n") + decided("QTR05"));
    EXPECT_EQ(column("select FORMAFARMA from FORMAFAR order by 1"), (Texts{w("CÁPSULA"), w("SOLUÇÃO ORAL")}));

    writeLegacy("Bairros", districtsTable().add({"S\xC7O JOS\x90"}).add({"CENTRO"}).headerRecordCount(3));
    report = migrate(MasterData::Districts);
    EXPECT_EQ(report.text.substr(0, report.text.find('\n', report.text.find('\n') + 1)),
              w("Procedimento concluído.\n") + decided("QTR42A"));
    EXPECT_NE(report.text.find(w("\nAtenção: o arquivo QTR42A tem 1 problema(s) de leitura")), std::string::npos)
        << "and the anomaly on its own line";
    EXPECT_EQ(column("select BAIRRO from TAXABAIRRO order by 1"), (Texts{"CENTRO", w("SÃO JOSÉ")}));
}

TEST_F(MigrationTest, AnImpossibleBirthDateIsStoredEmptyAndReportedAsAnAnomaly) {
    writeLegacy("Clientes", dbf::DbfWriter(0x03, {{"CLICODIGO", 'N', 6}, {"CLINOMECO", 'C', 40}, {"CLIENDERE", 'C', 40},
                                                  {"CLIBAIRRO", 'C', 40}, {"CLICIDADE", 'C', 30}, {"CLIESTADO", 'C', 2},
                                                  {"CLINUMCEP", 'C', 10}, {"CLINUMTEL", 'C', 30}, {"CLINUMCPF", 'C', 20},
                                                  {"CLIDOCUME", 'C', 20}, {"CLIDTNASC", 'D'}, {"CLIE_MAIL", 'C', 40},
                                                  {"CLIOBSERV", 'C', 40}, {"CLIOBSMAN", 'C', 40}, {"CLISEXOCL", 'C', 1},
                                                  {"CLITPDOCU", 'C', 10}, {"CLIORGEXP", 'C', 10}, {"CLIESTEXP", 'C', 2}})
                                .add({"1", "A", "", "", "", "", "", "", "", "", "20231345", "", "", "", "", "", "", ""})
                                .add({"2", "B", "", "", "", "", "", "", "", "", "19800101", "", "", "", "", "", "", ""}));
    const MigrationReport report = migrate(MasterData::Customers);
    EXPECT_EQ(report.text.substr(0, report.text.find('\n')), w("Procedimento concluído."));
    EXPECT_NE(report.text.find(w("\nAtenção: o arquivo QTR13 tem 1 problema(s) de leitura")), std::string::npos)
        << report.text;
    EXPECT_NE(report.details.find("CLIDTNASC"), std::string::npos) << report.details;
    EXPECT_NE(report.details.find("20231345"), std::string::npos) << report.details;
    EXPECT_EQ(rows("select CODIGO, DATAANIVERSARIO from CLIENTES order by CODIGO"),
              (Rows{{"1", "<null>"}, {"2", "1980-01-01"}}));
}

TEST_F(MigrationTest, ACancelledBatchStoresNothingAndTheDataSetShowsTheServer) {
    writeLegacy("FormaFarma", formsTable()
                                  .add({"1", "A", ""})
                                  .add({"2", "B", ""})
                                  .add({"3", "C", ""})
                                  .add({"4", "D", ""})
                                  .add({"5", "E", ""}));
    const MigrationDef& def = migrationOf(MasterData::PharmaceuticalForms);
    table = std::make_unique<LegacyTable>("FormaFarma", "QTR05", legacy.path());
    table->Open();
    ClientDataSet& target = dataSet("FormaFar");
    target.Open();
    StoppingObserver observer(2);
    const MigrationReport report = runMigration(def, *table, target, targetDb.query, &observer);
    EXPECT_EQ(report.end, MigrationReport::End::Cancelled);
    EXPECT_EQ(report.notReached, 3);
    EXPECT_EQ(report.text, w("A migração foi cancelada. Nenhum registro foi gravado."));
    EXPECT_EQ(observer.starts, 1);
    EXPECT_EQ(observer.total, 5);
    EXPECT_EQ(observer.finishes, 1);
    EXPECT_EQ(column("select count(*) from FORMAFAR"), Texts{"0"});
    EXPECT_TRUE(target.Active());
    EXPECT_EQ(target.RecordCount(), 0);
    EXPECT_EQ(target.ChangeCount(), 0);
    // Nothing was stored: the next press runs the whole table.
    EXPECT_EQ(runMigration(def, *table, target, targetDb.query).text, w("Procedimento concluído."));
    EXPECT_EQ(column("select FORMAFARMA from FORMAFAR order by 1"), (Texts{"A", "B", "C", "D", "E"}));
}

TEST_F(MigrationTest, ACancelledRowByRowRunKeepsTheRowsStoredAndCountsTheRest) {
    writeLegacy("Bairros", districtsTable()
                               .add({"A"})
                               .add({"A"})
                               .add({"C"})
                               .add({"D"})
                               .add({"E"}));
    const MigrationDef& def = migrationOf(MasterData::Districts);
    table = std::make_unique<LegacyTable>("Bairros", "QTR42A", legacy.path());
    table->Open();
    ClientDataSet& target = dataSet("TaxaBar");
    target.Open();
    StoppingObserver observer(3);
    const MigrationReport report = runMigration(def, *table, target, targetDb.query, &observer);
    EXPECT_EQ(report.end, MigrationReport::End::Cancelled);
    EXPECT_EQ(report.migrated, 2);
    EXPECT_EQ(report.notMigrated, 1);
    EXPECT_EQ(report.notReached, 2);
    EXPECT_EQ(report.text,
              w("A migração foi cancelada. Registros migrados: 2; não migrados: 1; não alcançados: 2."));
    EXPECT_NE(report.details.find("Registro 2 (A): "), std::string::npos) << report.details;
    EXPECT_EQ(observer.finishes, 1);
    EXPECT_EQ(column("select BAIRRO from TAXABAIRRO order by 1"), (Texts{"A", "C"}));
    // Rows were stored: a second press finds the target loaded.
    EXPECT_EQ(runMigration(def, *table, target, targetDb.query).text, w("A tabela de Bairros já está carregada."));
}

}  // namespace
}  // namespace mig::test
