// Suppliers and manufacturers: one mapping over two field prefixes, in the batch form.
#include "tests/migrations/MigrationFixture.h"

#include "migrations/MigrationError.h"
#include "target/field/Errors.h"

namespace mig::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// The legacy layout shared by suppliers (FOR) and manufacturers (FAB).
dbf::DbfWriter suppliersTable(const std::string& prefix) {
    const char* const names[] = {"CODIGO", "RAZAOS", "ENDERE", "BAIRRO", "NUMCEP", "CIDADE", "ESTADO",
                                 "TELEF1", "TELEF2", "NUMFAX", "E_MAIL", "HOMEPG", "CGCCPF", "INSCRG"};
    const int sizes[] = {6, 60, 45, 45, 10, 30, 2, 15, 15, 20, 40, 40, 20, 20};
    std::vector<dbf::FieldSpec> fields;
    for (std::size_t i = 0; i < std::size(names); ++i) fields.push_back({prefix + names[i], 'C', sizes[i]});
    return dbf::DbfWriter(0x03, std::move(fields));
}

// One legacy record: code, legal name and the two phones vary; the rest follows the code.
std::vector<dbf::Cell> supplier(const std::string& code, const std::string& name, const std::string& phone1,
                                const std::string& phone2) {
    return {code,           name,          "RUA " + code,        "BAIRRO " + code, "CEP" + code,
            "CIDADE " + code, "SP",        phone1,               phone2,           "FAX " + code,
            code + "@x.br", "www." + code, "CNPJ " + code,       "IE " + code};
}

const std::string kLongName = "DROGARIA E DISTRIBUIDORA DE INSUMOS FARMACEUTICOS L";  // 51 characters
const std::string kName40 = kLongName.substr(0, 40);

// Every mapped column and the two that stay unset, in the order of the mapping.
constexpr const char* kSelect =
    "select cast(CODIGO as varchar(11)), NOME, NOMEFANTASIA, ENDERECO, COMPLEMENTO, CEP, CIDADE, ESTADO, "
    "TEL, FAX, E_MAIL, SITE, CNPJ, IE, IM, PRAZO_PAGAMENTO from %s order by NOME";

std::string select(const char* table) {
    std::string sql = kSelect;
    return sql.replace(sql.find("%s"), 2, table);
}

std::vector<std::string> expected(const std::string& code, const std::string& name, const std::string& tel) {
    return {code,           name,          name,           "RUA " + code, "BAIRRO " + code, "CEP" + code,
            "CIDADE " + code, "SP",        tel,            "FAX " + code, code + "@x.br",   "www." + code,
            "CNPJ " + code, "IE " + code,  "<null>",       "<null>"};
}

TEST_F(MigrationTest, SuppliersAndManufacturersCarryEveryFieldAndThePhoneJoin) {
    // The phone join: first text, exactly two blanks, second text; trailing blanks go when the
    // row is stored, and TEL keeps 30 characters for suppliers, 20 for manufacturers.
    const std::string phoneA = "(11)98765-4";   // 11 characters
    const std::string phoneB = "(11)3333-444";  // 12 characters: the join has 25
    const struct {
        MasterData kind;
        const char* legacyTable;
        const char* prefix;
        const char* table;
    } migrations[] = {
        {MasterData::Suppliers, "Forneced", "FOR", "FORNECED"},
        {MasterData::Manufacturers, "Fabric", "FAB", "FABRIC"},
    };
    for (const auto& m : migrations) {
        SCOPED_TRACE(m.kind);
        const bool suppliers = std::string(m.prefix) == "FOR";
        // A manufacturer's NOME holds 60 characters in the dataset but 40 on the server, which
        // refuses a longer one; only the suppliers get the 51-character name here.
        const std::string longName = suppliers ? kLongName : kName40;
        writeLegacy(m.legacyTable, suppliersTable(m.prefix)
                                       .add(supplier("1", "A BOTH EMPTY", "", ""))
                                       .add(supplier("2", "B ONLY FIRST", "3333-4444", ""))
                                       .add(supplier("3", "C ONLY SECOND", "", "5555-6666"))
                                       .add(supplier("4", "D " + phoneA, phoneA, phoneB))
                                       .add(supplier("5", longName, "1", "2")));
        const MigrationReport report = migrate(m.kind);
        EXPECT_EQ(report.text, w("Procedimento concluído."));
        EXPECT_EQ(report.details, "");
        const std::string joined = phoneA + "  " + phoneB;
        EXPECT_EQ(rows(select(m.table)),
                  (Rows{expected("1", "A BOTH EMPTY", ""),
                        expected("2", "B ONLY FIRST", "3333-4444"),
                        expected("3", "C ONLY SECOND", "  5555-6666"),
                        expected("4", "D " + phoneA, suppliers ? joined : joined.substr(0, 20)),
                        expected("5", kName40, "1  2")}));
        EXPECT_EQ(dataSet(suppliers ? "Fornecedor" : "Fabric").RecordCount(), 5);
        EXPECT_EQ(dataSet(suppliers ? "Fornecedor" : "Fabric").ChangeCount(), 0);
    }
    EXPECT_EQ(column("select COMISSAO from FABRIC where CODIGO = 1"), std::vector<std::string>{"<null>"});
}

TEST_F(MigrationTest, ASupplierCodeIsCutToFourCharactersAndAManufacturerCodeMustBeANumber) {
    writeLegacy("Forneced", suppliersTable("FOR").add(supplier("123456", "LONG CODE", "", "")));
    EXPECT_EQ(migrate(MasterData::Suppliers).text, w("Procedimento concluído."));
    EXPECT_EQ(column("select CODIGO from FORNECED"), std::vector<std::string>{"1234"});

    writeLegacy("Fabric", suppliersTable("FAB")
                              .add(supplier("10", "FIRST", "", ""))
                              .add(supplier("1A", "NOT A NUMBER", "", ""))
                              .add(supplier("30", "THIRD", "", "")));
    try {
        migrate(MasterData::Manufacturers);
        FAIL() << "expected the conversion failure";
    } catch (const DetailedError& e) {
        EXPECT_STREQ(e.what(), "'1A' is not a valid integer value for field 'CODIGO'");
        EXPECT_EQ(e.details(), w("A migração parou neste registro e nada foi gravado:\n"
                                 "Registro 2 (sem chave): '1A' is not a valid integer value for field 'CODIGO'\n"));
    }
    EXPECT_EQ(column("select count(*) from FABRIC"), std::vector<std::string>{"0"});
    EXPECT_EQ(dataSet("Fabric").State(), DataSetState::Browse) << "no half-filled row is left behind";
    // The same press again: the row cached before the failure counts as a row.
    EXPECT_EQ(runMigration(migrationOf(MasterData::Manufacturers), *table, dataSet("Fabric"), targetDb.query).text,
              w("A tabela de Fabricantes já está carregada."));
}

TEST_F(MigrationTest, AnEmptyManufacturerCodeFailsAtThePostNamingTheRequiredField) {
    writeLegacy("Fabric", suppliersTable("FAB").add(supplier("", "NO CODE", "", "")));
    try {
        migrate(MasterData::Manufacturers);
        FAIL() << "expected the required-field failure";
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Field 'CODIGO' must have a value");
    }
    EXPECT_EQ(column("select count(*) from FABRIC"), std::vector<std::string>{"0"});
    EXPECT_EQ(dataSet("Fabric").State(), DataSetState::Browse);
    EXPECT_EQ(dataSet("Fabric").RecordCount(), 0);
}

TEST_F(MigrationTest, ASupplierTableMissingAMappedFieldEndsTheRunAtItsFirstRecord) {
    auto fields = std::vector<dbf::FieldSpec>{{"FORCODIGO", 'C', 4}, {"FORRAZAOS", 'C', 40}};
    writeLegacy("Forneced", dbf::DbfWriter(0x03, fields).add({"1", "X"}));
    try {
        migrate(MasterData::Suppliers);
        FAIL() << "expected the missing field";
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Forneced: Field 'FORENDERE' not found");
    }
    EXPECT_EQ(dataSet("Fornecedor").State(), DataSetState::Browse);
    EXPECT_EQ(dataSet("Fornecedor").RecordCount(), 0);
    EXPECT_EQ(column("select count(*) from FORNECED"), std::vector<std::string>{"0"});
}

}  // namespace
}  // namespace mig::test
