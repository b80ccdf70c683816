// Pharmaceutical forms, families, delivery districts and dosage instructions, end to end, and
// what both forms of the procedure do with an empty table, a loaded target and a refused row.
#include "tests/migrations/MigrationFixture.h"

#include "migrations/MigrationError.h"
#include "target/field/Errors.h"
#include "target/field/RegionalSettings.h"

namespace mig::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

dbf::DbfWriter formasFarmaceuticas() {
    return dbf::DbfWriter(0x03, {{"GRPCODIGO", 'N', 3}, {"GRPDESCRI", 'C', 30}, {"GRPVALTEX", 'C', 20}})
        .languageDriver(0x03);  // WIN1252, as the file records
}

TEST_F(MigrationTest, PharmaceuticalFormsGoInOneBatchWithTextsCutToTheirFields) {
    writeLegacy("FormaFarma", formasFarmaceuticas()
                                  .add({"1", w("CÁPSULA"), "30 DIAS"})
                                  .add({"2", w("CREME DERMATOLÓGICO"), "90 DIAS DE VALIDADE"})
                                  .addDeleted({"3", "APAGADA", "X"}));
    const MigrationReport report = migrate(MasterData::PharmaceuticalForms);
    EXPECT_EQ(report.text, w("Procedimento concluído."));
    EXPECT_EQ(report.details, "");
    EXPECT_EQ(rows("select FORMAFARMA, VALIDADE, CUSTOFIXO from FORMAFAR order by FORMAFARMA"),
              (Rows{{w("CREME DERMATOLÓ"), "90 DIAS DE VALI", "<null>"}, {w("CÁPSULA"), "30 DIAS", "<null>"}}));
    // The dataset was read anew: it shows what the server holds.
    EXPECT_EQ(dataSet("FormaFar").RecordCount(), 2);
    EXPECT_EQ(dataSet("FormaFar").ChangeCount(), 0);
}

TEST_F(MigrationTest, AnEmptyLegacyTableEndsWithTheFinalMessageInBothForms) {
    writeLegacy("FormaFarma", formasFarmaceuticas());
    writeLegacy("Bairros", dbf::DbfWriter(0x03, {{"REGBAIRRO", 'C', 40}}));
    EXPECT_EQ(migrate(MasterData::PharmaceuticalForms).text, w("Procedimento concluído."));
    EXPECT_EQ(migrate(MasterData::Districts).text, w("Procedimento concluído."));
    EXPECT_EQ(column("select count(*) from FORMAFAR"), std::vector<std::string>{"0"});
}

TEST_F(MigrationTest, ALoadedTargetGetsItsMessageAndNothingElse) {
    // Each target holds one row; its legacy table holds three records, and the cursor stands on
    // the last one when the migrate button is pressed.
    const struct {
        MasterData kind;
        const char* insert;
        const char* rows;  // the target's rows on the server
        const char* message;
    } cases[] = {
        {MasterData::PharmaceuticalForms, "insert into FORMAFAR (FORMAFARMA) values ('GEL')", "FORMAFAR",
         "A tabela de FORMAS FARMACÊUTICAS já está carregada."},
        {MasterData::Suppliers, "insert into FORNECED (CODIGO, NOMEFANTASIA) values ('1', 'ACME')", "FORNECED",
         "A tabela de FORNECEDORES já está carregada."},
        {MasterData::Families, "insert into FAMILIAS (CODIGO, FAMILIA) values (1, 'VITAMINAS')", "FAMILIAS",
         "A tabela de FAMÍLIAS já está carregada."},
        {MasterData::Customers, "insert into CLIENTES (ESTACAO, CODIGO) values ('00', 1)", "CLIENTES",
         "A tabela de CLIENTES já está carregada."},
        {MasterData::Physicians, "insert into MEDICOS (CRM, ESPECIALIDADE) values ('123', 'CLINICO')", "MEDICOS",
         "A tabela de Medicos já está carregada."},
        {MasterData::RawMaterials, "insert into COMPONEN (CODIGO, GRUPO) values ('000001', 'MP')", "COMPONEN where GRUPO = 'MP'",
         "A tabela de Componentes já está carregada."},
        {MasterData::Capsules, "insert into COMPONEN (CODIGO, GRUPO) values ('000002', 'CAP')", "COMPONEN where GRUPO = 'CAP'",
         "A tabela de Cápsulas já está carregada."},
        {MasterData::Vehicles, "insert into COMPONEN (CODIGO, GRUPO) values ('000003', 'VEI')", "COMPONEN where GRUPO = 'VEI'",
         "A tabela de Veículos já está carregada."},
        {MasterData::Packaging, "insert into COMPONEN (CODIGO, GRUPO) values ('000004', 'EMB')", "COMPONEN where GRUPO = 'EMB'",
         "A tabela de Embalagens já está carregada."},
        {MasterData::Manufacturers, "insert into FABRIC (CODIGO, NOMEFANTASIA) values (1, 'ACME')", "FABRIC",
         "A tabela de Fabricantes já está carregada."},
        {MasterData::Districts, "insert into TAXABAIRRO (BAIRRO) values ('CENTRO')", "TAXABAIRRO",
         "A tabela de Bairros já está carregada."},
        {MasterData::DosageInstructions, "insert into TABPOSO (CODIGO, POSOLOGIA) values ('1', 'AO DIA')", "TABPOSO",
         "A tabela de Posologias já está carregada."},
    };
    ASSERT_EQ(std::size(cases), migrationDefs().size());
    for (const auto& c : cases) {
        exec(c.insert);
        // Nothing of the legacy record is read before the check.
        writeLegacy(migrationOf(c.kind).legacyTable,
                    dbf::DbfWriter(0x03, {{"XXXCAMPO1", 'C', 10}}).add({"1"}).add({"2"}).add({"3"}));
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        preview(c.kind);
        table->Next();
        table->Next();
        ASSERT_EQ(table->recNo(), 2);
        AppendCounter counter(targetOf(c.kind));
        const MigrationReport report = run(c.kind);
        EXPECT_EQ(report.end, MigrationReport::End::AlreadyLoaded);
        EXPECT_EQ(report.text, w(c.message));
        EXPECT_EQ(report.details, "");
        EXPECT_EQ(table->recNo(), 0) << "the legacy table stays on its first record";
        EXPECT_FALSE(table->Eof());
        EXPECT_EQ(counter.appends, 0);
        EXPECT_EQ(targetOf(c.kind).RecordCount(), 1);
        EXPECT_EQ(targetOf(c.kind).ChangeCount(), 0);
        EXPECT_EQ(column(std::string("select count(*) from ") + c.rows), std::vector<std::string>{"1"});
    }
}

TEST_F(MigrationTest, AFamilyCodeThatIsNoIntegerEndsTheBatchAndNothingReachesTheServer) {
    writeLegacy("Familias", dbf::DbfWriter(0x03, {{"ACTCODIGO", 'C', 5}, {"ACTDESCRI", 'C', 40}})
                                .add({"1", "ANALGESICOS"})
                                .add({"2A", "VITAMINAS"})
                                .add({"3", "HORMONIOS"}));
    try {
        migrate(MasterData::Families);
        FAIL() << "expected the conversion failure";
    } catch (const DetailedError& e) {
        EXPECT_STREQ(e.what(), "'2A' is not a valid integer value for field 'CODIGO'");
        // The details name the record the run stopped at.
        EXPECT_EQ(e.details(), w("A migração parou neste registro e nada foi gravado:\n"
                                 "Registro 2 (sem chave): '2A' is not a valid integer value for field 'CODIGO'\n"));
    }
    EXPECT_EQ(column("select count(*) from FAMILIAS"), std::vector<std::string>{"0"});
    // The row of the failed record was not left half filled for a later append to post.
    EXPECT_EQ(dataSet("Familias").State(), DataSetState::Browse);
    EXPECT_EQ(dataSet("Familias").ChangeCount(), 1);
}

TEST_F(MigrationTest, FamiliesStoreTheirCodeAsAnInteger) {
    writeLegacy("Familias", dbf::DbfWriter(0x03, {{"ACTCODIGO", 'C', 5}, {"ACTDESCRI", 'C', 40}})
                                .add({"007", "ANALGESICOS E ANTITERMICOS DE USO ORAL"})
                                .add({" 12", "VITAMINAS"}));
    EXPECT_EQ(migrate(MasterData::Families).text, w("Procedimento concluído."));
    // FAMILIA keeps its first 30 characters; the blank that ends them goes when the row is stored.
    EXPECT_EQ(rows("select cast(CODIGO as varchar(11)), FAMILIA, MARGEM from FAMILIAS order by CODIGO"),
              (Rows{{"7", "ANALGESICOS E ANTITERMICOS DE", "<null>"}, {"12", "VITAMINAS", "<null>"}}));
}

TEST_F(MigrationTest, EveryDistrictIsStoredWithTheFeeThreeFiftyWhateverTheDecimalSeparator) {
    for (const char separator : {'.', ','}) {
        SCOPED_TRACE(std::string("decimal separator ") + separator);
        RegionalSettings settings;
        settings.decimalSeparator = separator;
        ScopedRegional scope(settings);
        exec("delete from TAXABAIRRO");
        writeLegacy("Bairros", dbf::DbfWriter(0x03, {{"REGBAIRRO", 'C', 50}})
                                   .languageDriver(0x03)
                                   .add({w("JARDIM AMÉRICA")})
                                   .add({"CENTRO"})
                                   .add({"VILA DOS PESCADORES DA PRAIA GRANDE DO NORTE"}));
        EXPECT_EQ(migrate(MasterData::Districts).text, w("Procedimento concluído."));
        EXPECT_EQ(rows("select BAIRRO, cast(TAXA as varchar(20)) from TAXABAIRRO order by BAIRRO"),
                  (Rows{{"CENTRO", "3.50"},
                        {w("JARDIM AMÉRICA"), "3.50"},
                        {"VILA DOS PESCADORES DA PRAIA GRANDE DO N", "3.50"}}));
    }
}

TEST_F(MigrationTest, ADistrictRefusedByTheServerIsReportedWhileTheLaterOnesAreStored) {
    writeLegacy("Bairros", dbf::DbfWriter(0x03, {{"REGBAIRRO", 'C', 40}})
                               .add({"CENTRO"})
                               .add({"CENTRO"})
                               .add({"SERRA"})
                               .add({"PRAIA"}));
    const MigrationReport report = migrate(MasterData::Districts);
    EXPECT_EQ(column("select BAIRRO from TAXABAIRRO order by BAIRRO"),
              (std::vector<std::string>{"CENTRO", "PRAIA", "SERRA"}));
    EXPECT_EQ(report.text, w("Procedimento concluído.\n"
                             "Registros migrados: 3; deixados de fora pelo filtro: 0; não migrados: 1."));
    EXPECT_EQ(report.migrated, 3);
    EXPECT_EQ(report.notMigrated, 1);
    EXPECT_NE(report.details.find("Registro 2 (CENTRO): "), std::string::npos) << report.details;
    EXPECT_NE(report.details.find("PRIMARY"), std::string::npos) << "the server's reason: " << report.details;
    // The refused row is reported once, although every later apply offered it again.
    EXPECT_EQ(report.details.find("Registro 2", report.details.find("Registro 2") + 1), std::string::npos);
}

TEST_F(MigrationTest, DosageInstructionsAreCutToTheirFields) {
    writeLegacy("Posologias", dbf::DbfWriter(0x03, {{"POSCODIGO", 'C', 8}, {"POSDESCRI", 'M'}})
                                  .languageDriver(0x03)
                                  .add({"1234567", std::string(300, 'x')})
                                  .add({"2", w("Tomar 1 cápsula ao dia")}));
    EXPECT_EQ(migrate(MasterData::DosageInstructions).text, w("Procedimento concluído."));
    EXPECT_EQ(rows("select CODIGO, char_length(POSOLOGIA), POSOLOGIA from TABPOSO order by CODIGO"),
              (Rows{{"123456", "255", std::string(255, 'x')}, {"2", "22", w("Tomar 1 cápsula ao dia")}}));
}

}  // namespace
}  // namespace mig::test
