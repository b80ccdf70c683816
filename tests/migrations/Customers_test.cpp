// Customers: the longest mapping, in the batch form; the birth date whatever the regional
// settings, and a refused row reported with its record, key and the server's reason.
#include "tests/migrations/MigrationFixture.h"

#include "migrations/MigrationError.h"
#include "target/field/RegionalSettings.h"

namespace mig::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// The legacy customers' fields; the birth date's type varies with the case.
std::vector<dbf::FieldSpec> customerFields(char birthDateType = 'D') {
    return {{"CLICODIGO", 'N', 6},
            {"CLINOMECO", 'C', 50},
            {"CLIENDERE", 'C', 70},
            {"CLIBAIRRO", 'C', 40},
            {"CLICIDADE", 'C', 30},
            {"CLIESTADO", 'C', 2},
            {"CLINUMCEP", 'C', 10},
            {"CLINUMTEL", 'C', 30},
            {"CLINUMCPF", 'C', 20},
            {"CLIDOCUME", 'C', 20},
            {"CLIDTNASC", birthDateType, birthDateType == 'D' ? 8 : 10},
            {"CLIE_MAIL", 'C', 60},
            {"CLIOBSERV", 'C', 200},
            {"CLIOBSMAN", 'M'},
            {"CLISEXOCL", 'C', 3},
            {"CLITPDOCU", 'C', 50},
            {"CLIORGEXP", 'C', 12},
            {"CLIESTEXP", 'C', 2}};
}
dbf::DbfWriter customersTable(char birthDateType = 'D') { return dbf::DbfWriter(0x83, customerFields(birthDateType)); }

// A customer whose other texts follow its code.
std::vector<dbf::Cell> customer(const std::string& code, const std::string& birth = "", const std::string& email = "",
                                const std::string& obs = "", const std::string& memo = "",
                                const std::string& sex = "F") {
    return {code,  "CLIENTE " + code, "RUA " + code, "BAIRRO " + code, "CIDADE", "MG", "30100-000",
            "TEL " + code, "CPF " + code, "RG " + code, birth, email, obs, memo, sex, "RG", "SSP", "MG"};
}

constexpr const char* kSelect =
    "select ESTACAO, CODIGO, NOME, ENDERECO, COMPLEMENTO, CIDADE, ESTADO, CEP, FONE, CPF, IDENTIDADE, "
    "DATAANIVERSARIO, REFERENCIA, OBS, SEXO, E_MAIL, TIPODOCUMENTO, ORGAOEXPEDIDOR, UFEMISSAODOCUMENTO, "
    "STATUS, TIPO, CONTATO from CLIENTES order by CODIGO";

std::vector<std::string> expected(const std::string& code, const std::string& birth, const std::string& reference,
                                  const std::string& obs, const std::string& sex) {
    return {"00",  code,       "CLIENTE " + code, "RUA " + code, "BAIRRO " + code, "CIDADE", "MG",
            "30100-000", "TEL " + code, "CPF " + code, "RG " + code, birth, reference, obs, sex, "",
            "RG",  "SSP",      "MG",              "<null>",      "<null>",          "<null>"};
}

TEST_F(MigrationTest, CustomersCarryEveryMappedField) {
    const std::string obs200(200, 'o');
    const std::string memo100(100, 'm');
    writeLegacy("Clientes", customersTable()
                                .add(customer("1", "19600315", "ana@x.com.br", "ALERGICA A DIPIRONA", " E LACTOSE",
                                              "FEM"))
                                .add(customer("2", "", "", "SEM MEMO", "", "M"))
                                .add(customer("3", "20010101", "", "", "SOMENTE MEMO"))
                                .add(customer("4", "19991231", "b@x", obs200, memo100, "")));
    const MigrationReport report = migrate(MasterData::Customers);
    EXPECT_EQ(report.text, w("Procedimento concluído."));
    EXPECT_EQ(report.details, "");
    EXPECT_EQ(rows(kSelect),
              (Rows{
                  // OBS joins the two observations directly; the legacy e-mail goes to REFERENCIA
                  // and E_MAIL stays without text; SEXO keeps one character.
                  expected("1", "1960-03-15", "ana@x.com.br", "ALERGICA A DIPIRONA E LACTOSE", "F"),
                  // No birth date: the field stays null and the customer is stored.
                  expected("2", "<null>", "", "SEM MEMO", "M"),
                  expected("3", "2001-01-01", "", "SOMENTE MEMO", "F"),
                  // The join of 300 characters keeps its first 250.
                  expected("4", "1999-12-31", "b@x", obs200 + memo100.substr(0, 50), ""),
              }));
    EXPECT_EQ(dataSet("CLIENTES").RecordCount(), 4);
}

TEST_F(MigrationTest, ABirthDateArrivesAsTheSameDateWhateverTheShortDateFormat) {
    // A date carried through the text of a two-digit-year format would land a century later.
    const struct {
        char type;
        const char* format;
        const char* cell;
        const char* stored;
    } cases[] = {
        {'D', "dd/mm/yy", "19600315", "1960-03-15"},
        {'D', "m/d/yy", "19600315", "1960-03-15"},
        {'D', "dd/mm/yyyy", "19600315", "1960-03-15"},
        {'D', "yy-mm-dd", "18991231", "1899-12-31"},
        {'D', "dd/mm/yy", "", "<null>"},
        // A text field goes through the date syntax of the format in force.
        {'C', "dd/mm/yyyy", "15/03/1960", "1960-03-15"},
        {'C', "dd/mm/yy", "15/03/1960", "1960-03-15"},
        {'C', "dd/mm/yyyy", "", "<null>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, c.type) + " field, format " + c.format + ", cell '" + c.cell + "'");
        RegionalSettings settings;
        settings.shortDateFormat = c.format;
        settings.dateSeparator = std::string(c.format).find('-') != std::string::npos ? '-' : '/';
        settings.currentYear = 2026;
        ScopedRegional scope(settings);
        exec("delete from CLIENTES");
        writeLegacy("Clientes", customersTable(c.type).add(customer("7", c.cell)));
        EXPECT_EQ(migrate(MasterData::Customers).text, w("Procedimento concluído."));
        EXPECT_EQ(column("select DATAANIVERSARIO from CLIENTES"), std::vector<std::string>{c.stored});
    }
}

TEST_F(MigrationTest, TwoCustomersWithOneCodeEndTheRunWithTheRefusedRowInTheDetails) {
    writeLegacy("Clientes", customersTable()
                                .add(customer("17", "", "primeiro@x"))
                                .add(customer("18"))
                                .add(customer("17", "", "segundo@x")));
    try {
        migrate(MasterData::Customers);
        FAIL() << "expected the re-read's refusal";
    } catch (const DetailedError& e) {
        EXPECT_STREQ(e.what(), "CLIENTES: Must apply updates before refreshing data");
        EXPECT_NE(e.details().find("Registro 3 (17): "), std::string::npos) << e.details();
        EXPECT_NE(e.details().find("PK_CLIENTES"), std::string::npos) << "the server's reason: " << e.details();
        EXPECT_EQ(e.details().find("Registro 1"), std::string::npos) << e.details();
        EXPECT_EQ(e.details().find("Registro 2"), std::string::npos) << e.details();
    }
    // The server kept the rows it accepted.
    EXPECT_EQ(rows("select CODIGO, REFERENCIA from CLIENTES order by CODIGO"),
              (Rows{{"17", "primeiro@x"}, {"18", ""}}));
    EXPECT_EQ(dataSet("CLIENTES").ChangeCount(), 1);
    EXPECT_EQ(runMigration(migrationOf(MasterData::Customers), *table, dataSet("CLIENTES"), targetDb.query).text,
              w("A tabela de CLIENTES já está carregada."));
}

TEST_F(MigrationTest, ABirthDateTextThatIsNoDateEndsTheRunWithNothingStored) {
    const struct {
        const char* cell;
        const char* message;
    } cases[] = {
        {"31/02/1960", "'31/02/1960' is not a valid date"},
        {"ONTEM", "'ONTEM' is not a valid date"},
    };
    RegionalSettings settings;
    settings.shortDateFormat = "dd/mm/yyyy";
    ScopedRegional scope(settings);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cell);
        writeLegacy("Clientes", customersTable('C').add(customer("4", "01/01/1980")).add(customer("5", c.cell)));
        try {
            migrate(MasterData::Customers);
            ADD_FAILURE() << "expected the conversion failure";
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(column("select count(*) from CLIENTES"), std::vector<std::string>{"0"});
        EXPECT_EQ(dataSet("CLIENTES").State(), DataSetState::Browse);
    }
}

TEST_F(MigrationTest, ACustomerWithoutACodeEndsTheRunAtItsPostWithNothingStored) {
    writeLegacy("Clientes", customersTable().add(customer("1")).add(customer("")).add(customer("3")));
    try {
        migrate(MasterData::Customers);
        FAIL() << "expected the required-field failure";
    } catch (const DetailedError& e) {
        EXPECT_STREQ(e.what(), "Field 'CODIGO' must have a value");
        EXPECT_EQ(e.details(), w("A migração parou neste registro e nada foi gravado:\n"
                                 "Registro 2 (sem chave): Field 'CODIGO' must have a value\n"));
    }
    EXPECT_EQ(table->recNo(), 1) << "the run ended at the second record";
    EXPECT_EQ(column("select count(*) from CLIENTES"), std::vector<std::string>{"0"});
    // The first customer stays cached, and counts as a row at the next press.
    ClientDataSet& target = dataSet("CLIENTES");
    EXPECT_EQ(target.State(), DataSetState::Browse);
    EXPECT_EQ(target.ChangeCount(), 1);
    EXPECT_EQ(run(MasterData::Customers).text, w("A tabela de CLIENTES já está carregada."));
}

TEST_F(MigrationTest, ACustomersTableMissingOneLegacyFieldEndsTheRunAtItsFirstRecord) {
    // Every field of the layout but the legacy e-mail, which the mapping reads thirteenth.
    std::vector<dbf::FieldSpec> fields = customerFields();
    std::erase_if(fields, [](const dbf::FieldSpec& f) { return f.name == "CLIE_MAIL"; });
    std::vector<dbf::Cell> record = customer("1");
    record.erase(record.begin() + 11);
    writeLegacy("Clientes", dbf::DbfWriter(0x83, fields).add(record).add(record));
    try {
        migrate(MasterData::Customers);
        FAIL() << "expected the missing field";
    } catch (const DetailedError& e) {
        EXPECT_STREQ(e.what(), "Clientes: Field 'CLIE_MAIL' not found");
        EXPECT_EQ(e.details(), w("A migração parou neste registro e nada foi gravado:\n"
                                 "Registro 1 (1): Clientes: Field 'CLIE_MAIL' not found\n"));
    }
    EXPECT_EQ(table->recNo(), 0);
    ClientDataSet& target = dataSet("CLIENTES");
    EXPECT_EQ(target.State(), DataSetState::Browse);
    EXPECT_EQ(target.RecordCount(), 0);
    EXPECT_EQ(column("select count(*) from CLIENTES"), std::vector<std::string>{"0"});
}

}  // namespace
}  // namespace mig::test
