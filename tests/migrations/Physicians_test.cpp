// Physicians: row by row with the registration-number filter, counted in the final box.
#include "tests/migrations/MigrationFixture.h"

#include "target/field/Errors.h"
#include "tests/migrations/LegacyLayouts.h"

namespace mig::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST_F(MigrationTest, PhysiciansWithoutARegistrationOfTwoCharactersAreCountedOutByTheFilter) {
    const std::string longDistrict = "JARDIM DAS ACACIAS DO ALTO SERRANO";  // 34 characters
    writeLegacy("Medicos", physiciansTable()
                               .add(physician("", "SEM CRM"))
                               .add(physician("7", "UM CARACTERE"))
                               .add(physician("12", "DOIS CARACTERES", longDistrict))
                               .add(physician("12345678901", "ONZE CARACTERES")));
    const MigrationReport report = migrate(MasterData::Physicians);
    EXPECT_EQ(report.text, w("Procedimento concluído.\n"
                             "Registros migrados: 2; deixados de fora pelo filtro: 2; não migrados: 0."));
    EXPECT_EQ(report.details, "");
    EXPECT_EQ(report.migrated, 2);
    EXPECT_EQ(report.filtered, 2);
    EXPECT_EQ(rows("select CRM, ESPECIALIDADE, NOME, ENDERECO, COMPLEMENTO, CIDADE, ESTADO, CEP, TELEFONES, "
                   "E_MAIL, COMISSAO from MEDICOS order by CRM"),
              (Rows{{"12", w("Médico"), "DOIS CARACTERES", "AV DOIS CARACTERES", longDistrict.substr(0, 30), "RECIFE",
                     "PE", "50000-000", "81 3333-0000", "<null>", "<null>"},
                    // The filter saw all eleven characters; CRM keeps ten.
                    {"1234567890", w("Médico"), "ONZE CARACTERES", "AV ONZE CARACTERES", "CENTRO", "RECIFE", "PE",
                     "50000-000", "81 3333-0000", "<null>", "<null>"}}));
    // The dataset was read anew after each row; a second press finds it loaded.
    EXPECT_EQ(dataSet("MEDICOS").RecordCount(), 2);
    EXPECT_EQ(runMigration(migrationOf(MasterData::Physicians), *table, dataSet("MEDICOS"), targetDb.query).text,
              w("A tabela de Medicos já está carregada."));
}

TEST_F(MigrationTest, APhysiciansTableWhoseEveryRecordIsFilteredOutAppendsNothing) {
    writeLegacy("Medicos", physiciansTable()
                               .add(physician("", "SEM CRM"))
                               .add(physician("7", "UM CARACTERE"))
                               .add(physician(" ", "UM BRANCO")));
    preview(MasterData::Physicians);
    AppendCounter counter(dataSet("MEDICOS"));
    const MigrationReport report = run(MasterData::Physicians);
    EXPECT_EQ(report.end, MigrationReport::End::Completed);
    EXPECT_EQ(report.text, w("Procedimento concluído.\n"
                             "Registros migrados: 0; deixados de fora pelo filtro: 3; não migrados: 0."));
    EXPECT_EQ(report.details, "");
    EXPECT_EQ(counter.appends, 0);
    EXPECT_TRUE(table->Eof()) << "the walk went through every record";
    EXPECT_EQ(dataSet("MEDICOS").RecordCount(), 0);
    EXPECT_EQ(column("select count(*) from MEDICOS"), std::vector<std::string>{"0"});
}

TEST_F(MigrationTest, EveryPhysicianMigratedGivesTheBareFinalMessage) {
    writeLegacy("Medicos", physiciansTable().add(physician("CRM1", "A")).add(physician("CRM2", "B")));
    const MigrationReport report = migrate(MasterData::Physicians);
    EXPECT_EQ(report.text, w("Procedimento concluído."));
    EXPECT_EQ(report.details, "");
    EXPECT_EQ(column("select CRM from MEDICOS order by CRM"), (std::vector<std::string>{"CRM1", "CRM2"}));
}

TEST_F(MigrationTest, APhysicianTheServerRefusesIsReportedOnceWhileTheLaterOnesAreStored) {
    writeLegacy("Medicos", physiciansTable()
                               .add(physician("CRM1", "PRIMEIRO"))
                               .add(physician("CRM1", "REPETIDO"))
                               .add(physician("CRM2", "SEGUNDO"))
                               .add(physician("CRM3", "TERCEIRO")));
    const MigrationReport report = migrate(MasterData::Physicians);
    EXPECT_EQ(report.text, w("Procedimento concluído.\n"
                             "Registros migrados: 3; deixados de fora pelo filtro: 0; não migrados: 1."));
    EXPECT_NE(report.details.find("Registro 2 (CRM1): "), std::string::npos) << report.details;
    EXPECT_NE(report.details.find("PK_MEDICOS"), std::string::npos) << report.details;
    EXPECT_EQ(rows("select CRM, NOME from MEDICOS order by CRM"),
              (Rows{{"CRM1", "PRIMEIRO"}, {"CRM2", "SEGUNDO"}, {"CRM3", "TERCEIRO"}}));
}

TEST_F(MigrationTest, APhysiciansTableWithoutTheRegistrationNumberEndsTheRunAtOnce) {
    writeLegacy("Medicos", dbf::DbfWriter(0x03, {{"MEDNOMECO", 'C', 40}}).add({"A"}).add({"B"}));
    try {
        migrate(MasterData::Physicians);
        FAIL() << "expected the missing field";
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Medicos: Field 'MEDCRNUME' not found");
    }
    EXPECT_EQ(table->recNo(), 0) << "the run ended at its first record";
    EXPECT_EQ(dataSet("MEDICOS").RecordCount(), 0);
    EXPECT_EQ(column("select count(*) from MEDICOS"), std::vector<std::string>{"0"});
}

}  // namespace
}  // namespace mig::test
