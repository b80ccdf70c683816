// Raw materials into the components table, group MP, row by row.
#include "tests/migrations/MigrationFixture.h"

#include "target/field/RegionalSettings.h"
#include "tests/migrations/LegacyLayouts.h"

namespace mig::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

constexpr const char* kSelect =
    "select CODIGO, COMPONENTE, GRUPO, UNID, cast(CUSTOUNITUS as varchar(30)), cast(CUSTOUNITR as varchar(30)), "
    "cast(MULTIPLICADOR as varchar(30)), cast(DIVISORUNID as varchar(30)), cast(FATORCORRECAO as varchar(30)), "
    "cast(DENSIDADE as varchar(30)), ESTOQUECRITICO, ESTOQUEMAXIMO, NOMECIENTIFICO, FAMILIA, CUSTOFIXO "
    "from COMPONEN order by CODIGO";

std::vector<std::string> expected(const std::string& code, const std::string& name, const std::string& unit,
                                  const std::string& factor, const std::string& density, const std::string& minimum,
                                  const std::string& scientific) {
    return {code,          name,    "MP",    unit,     "1000.00000000", "1000.00000000", "7.00000000",
            "1000.00000000", factor, density, minimum, "1000000",       scientific,      "<null>",
            "<null>"};
}

TEST_F(MigrationTest, RawMaterialsCarryTheirCodeFactorsAndTextsWhateverTheDecimalSeparator) {
    const std::string name75(75, 'N');
    for (const char separator : {'.', ','}) {
        SCOPED_TRACE(std::string("decimal separator ") + separator);
        RegionalSettings settings;
        settings.decimalSeparator = separator;
        ScopedRegional scope(settings);
        exec("delete from COMPONEN");
        writeLegacy("Componen", rawMaterialsTable()
                                    .add({"42", "AMIDO", "g", "0", "", "2.5", "AMYLUM"})
                                    .add({"42", "AMIDO REPETIDO", "g", "1", "1", "1", ""})
                                    .add({"1234567", "LACTOSE", "kg", "-1.5", "1.05", "0", "LACTOSUM"})
                                    .add({"", "SEM CODIGO", "mg", "1.05", "0", "10", ""})
                                    .add({"-42", name75, "FRASCO", "2", "-3", "", "X"})
                                    .add({"7", "TRACO", "g", "0.00005", "1", "1", "Y"}));
        const MigrationReport report = migrate(MasterData::RawMaterials);
        EXPECT_EQ(report.text, w("Procedimento concluído.\n"
                                 "Registros migrados: 4; deixados de fora pelo filtro: 0; não migrados: 2."));
        // In record order: the code the server refused (offered again with every later apply,
        // listed once), then the factor written in exponent form, which is no decimal.
        const std::string refused = w("Registros não migrados:\nRegistro 2 (000042): ");
        EXPECT_EQ(report.details.substr(0, refused.size()), refused) << report.details;
        EXPECT_NE(report.details.find("PRIMARY"), std::string::npos) << report.details;
        const std::string exponent = "\nRegistro 6 (000007): 5E-5 is not a valid BCD value\n";
        ASSERT_GE(report.details.size(), exponent.size());
        EXPECT_EQ(report.details.substr(report.details.size() - exponent.size()), exponent) << report.details;
        EXPECT_EQ(report.details.find("Registro 2", refused.size()), std::string::npos) << report.details;
        EXPECT_EQ(rows(kSelect),
                  (Rows{
                      // The sign stands before the zeros.
                      expected("-000042", name75.substr(0, 70), "FRAS", "2.00000000", "1.00000000", "<null>", "X"),
                      // An empty code is 0.
                      expected("000000", "SEM CODIGO", "mg", "1.05000000", "1.00000000", "10", ""),
                      // Factor 0 and an empty density give 1.
                      expected("000042", "AMIDO", "g", "1.00000000", "1.00000000", "2.5", "AMYLUM"),
                      // A negative factor gives 1; more than six digits stay whole.
                      expected("1234567", "LACTOSE", "kg", "1.00000000", "1.05000000", "0", "LACTOSUM"),
                  }));
        // The refused row stays cached, so the dataset counts it.
        EXPECT_EQ(dataSet("COMPONEN").RecordCount(), 5);
        EXPECT_EQ(dataSet("COMPONEN").ChangeCount(), 1);
    }
}

TEST_F(MigrationTest, ARawMaterialsTableWithoutItsCodeStoresNothingAndReportsEveryRecord) {
    writeLegacy("Componen", dbf::DbfWriter(0x03, {{"MATNOMECO", 'C', 40}}).add({"A"}).add({"B"}).add({"C"}));
    const MigrationReport report = migrate(MasterData::RawMaterials);
    EXPECT_EQ(report.text, w("Procedimento concluído.\n"
                             "Registros migrados: 0; deixados de fora pelo filtro: 0; não migrados: 3."));
    EXPECT_EQ(report.details, w("Registros não migrados:\n"
                                "Registro 1 (sem chave): Componen: Field 'MATCODIGO' not found\n"
                                "Registro 2 (sem chave): Componen: Field 'MATCODIGO' not found\n"
                                "Registro 3 (sem chave): Componen: Field 'MATCODIGO' not found\n"));
    EXPECT_EQ(column("select count(*) from COMPONEN"), std::vector<std::string>{"0"});
    EXPECT_EQ(dataSet("COMPONEN").State(), DataSetState::Browse);
    EXPECT_EQ(dataSet("COMPONEN").RecordCount(), 0);
}

TEST_F(MigrationTest, AGroupHoldingARawMaterialGetsTheAlreadyLoadedMessage) {
    exec("insert into COMPONEN (CODIGO, GRUPO) values ('000001', 'MP')");
    exec("insert into COMPONEN (CODIGO, GRUPO) values ('000002', 'CAP')");
    writeLegacy("Componen", rawMaterialsTable().add({"5", "A", "g", "1", "1", "1", ""}).add({"6", "B", "g", "1", "1",
                                                                                           "1", ""}));
    const MigrationReport report = migrate(MasterData::RawMaterials);
    EXPECT_EQ(report.end, MigrationReport::End::AlreadyLoaded);
    EXPECT_EQ(report.text, w("A tabela de Componentes já está carregada."));
    EXPECT_EQ(table->recNo(), 0);
    EXPECT_EQ(column("select CODIGO from COMPONEN order by CODIGO"), (std::vector<std::string>{"000001", "000002"}));
}

}  // namespace
}  // namespace mig::test
