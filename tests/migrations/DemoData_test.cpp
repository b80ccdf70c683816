// The demo legacy folder: deterministic files in code page 850 that read back as generated, and
// all twelve migrations run on them from their buttons' definitions, the demo's imperfections
// included (deleted records, physicians without a registration number, a repeated customer code).
#include "tests/migrations/MigrationFixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "migrations/MigrationError.h"
#include "tools/demo/DemoData.h"

namespace mig::test {
namespace {

namespace fs = std::filesystem;

std::string fileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::map<std::string, std::string> folderBytes(const std::string& folder) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(folder)) out[e.path().filename().string()] = fileBytes(e.path());
    return out;
}

std::string rtrim(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

const demo::Table& tableOf(const std::vector<demo::Table>& tables, std::string_view component) {
    for (const demo::Table& t : tables) {
        if (t.component == component) return t;
    }
    throw std::logic_error("no demo table " + std::string(component));
}

TEST(DemoFolder, TheSameSeedGivesTheSameFilesAndAnotherSeedOtherData) {
    TempFolder a, b, c;
    demo::writeDemoFolder(a.path(), {.seed = 11, .records = 30});
    demo::writeDemoFolder(b.path(), {.seed = 11, .records = 30});
    demo::writeDemoFolder(c.path(), {.seed = 12, .records = 30});
    const auto first = folderBytes(a.path());
    EXPECT_EQ(first.size(), 14u) << "twelve tables, two with a memo file";
    EXPECT_EQ(first, folderBytes(b.path()));
    const auto other = folderBytes(c.path());
    ASSERT_EQ(other.size(), first.size());
    EXPECT_NE(other.at("QTR13.DBF"), first.at("QTR13.DBF"));
    EXPECT_NE(other.at("QTR19.DBF"), first.at("QTR19.DBF"));
}

// Every table through the program's own legacy tables: the live records in file order, each text
// and memo as generated (code page 850 turned back into the program's text), each number's value,
// each empty date empty.
TEST(DemoFolder, EveryTableReadsBackAsGenerated) {
    TempFolder folder;
    const auto tables = demo::writeDemoFolder(folder.path(), {.seed = 5, .records = 45});
    ASSERT_EQ(tables.size(), legacyTableList().size());
    for (const LegacyTableInfo& info : legacyTableList()) {
        SCOPED_TRACE(std::string(info.component));
        const demo::Table& model = tableOf(tables, info.component);
        EXPECT_EQ(model.liveCount(), 45);
        EXPECT_GT(static_cast<int>(model.records.size()), 45) << "a few deleted records among them";
        EXPECT_EQ(fileBytes(folder.path() + "/" + model.fileName + ".DBF").at(29), '\x02') << "code page 850";

        LegacyTable table(std::string(info.component), std::string(info.fileName), folder.path());
        table.Open();
        ASSERT_EQ(table.recordCount(), 45);
        ASSERT_EQ(table.fieldCount(), static_cast<int>(model.fields.size()));
        table.First();
        for (const demo::Record& record : model.records) {
            if (record.deleted) continue;
            ASSERT_FALSE(table.Eof());
            for (std::size_t f = 0; f < model.fields.size(); ++f) {
                const dbf::FieldSpec& fieldSpec = model.fields[f];
                const std::string& cell = record.cells[f];
                Field& field = table.field(static_cast<int>(f));
                SCOPED_TRACE(fieldSpec.name + " of record " + std::to_string(table.recNo()));
                switch (fieldSpec.type) {
                    case 'C':
                        EXPECT_EQ(field.asText(), rtrim(cell));
                        break;
                    case 'M':
                        EXPECT_EQ(field.asText(), cell);
                        break;
                    case 'N':
                        EXPECT_EQ(field.isNull(), cell.empty());
                        if (!cell.empty()) {
                            EXPECT_DOUBLE_EQ(field.asFloat(), std::stod(cell));
                        }
                        break;
                    default:
                        EXPECT_EQ(field.isNull(), cell.empty());
                }
            }
            table.Next();
        }
        EXPECT_TRUE(table.Eof());
    }
}

// What the demo holds that a migration treats apart, counted on the generated data.
struct DemoCounts {
    int physiciansWithNumber = 0;
    int repeatedCustomerCodes = 0;
    std::string repeatedCustomerCode;
    int longManufacturerNames = 0;  // longer than the 40 characters the server keeps
};

DemoCounts count(const std::vector<demo::Table>& tables) {
    DemoCounts c;
    const demo::Table& medicos = tableOf(tables, "Medicos");
    const int crm = medicos.fieldIndex("MEDCRNUME");
    for (const demo::Record& r : medicos.records) {
        if (!r.deleted && rtrim(r.cells[static_cast<std::size_t>(crm)]).size() >= 2) ++c.physiciansWithNumber;
    }
    const demo::Table& clientes = tableOf(tables, "Clientes");
    const int code = clientes.fieldIndex("CLICODIGO");
    std::map<std::string, int> seen;
    for (const demo::Record& r : clientes.records) {
        const std::string& text = r.cells[static_cast<std::size_t>(code)];
        if (!r.deleted && seen[text]++ == 1) {
            ++c.repeatedCustomerCodes;
            c.repeatedCustomerCode = text;
        }
    }
    const demo::Table& fabric = tableOf(tables, "Fabric");
    const int name = fabric.fieldIndex("FABRAZAOS");
    for (const demo::Record& r : fabric.records) {
        if (!r.deleted && rtrim(r.cells[static_cast<std::size_t>(name)]).size() > 40) ++c.longManufacturerNames;
    }
    return c;
}

int occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST_F(MigrationTest, AllTwelveMigrationsRunOnTheDemoFolderFromTheirButtons) {
    constexpr int kLive = 30;
    const auto tables = demo::writeDemoFolder(legacy.path(), {.seed = 2015, .records = kLive});
    const DemoCounts demo = count(tables);
    ASSERT_LT(demo.physiciansWithNumber, kLive) << "some physicians lack a registration number";
    ASSERT_EQ(demo.repeatedCustomerCodes, 1);
    ASSERT_GT(demo.longManufacturerNames, 0);

    // Rows each target ends with: every live record, except the physicians without a usable
    // registration number, and the rows the server refuses in the batch form: the second
    // customer with a code already used, and the manufacturers whose name the dataset holds
    // (60 characters) but the server's column does not (40).
    const struct {
        MasterData kind;
        const char* sql;
        int rows;
        int refused;
    } cases[] = {
        {MasterData::PharmaceuticalForms, "select count(*) from FORMAFAR", kLive, 0},
        {MasterData::Suppliers, "select count(*) from FORNECED", kLive, 0},
        {MasterData::Families, "select count(*) from FAMILIAS", kLive, 0},
        {MasterData::Customers, "select count(*) from CLIENTES", kLive - 1, 1},
        {MasterData::Physicians, "select count(*) from MEDICOS", demo.physiciansWithNumber, 0},
        {MasterData::RawMaterials, "select count(*) from COMPONEN where GRUPO = 'MP'", kLive, 0},
        {MasterData::Capsules, "select count(*) from COMPONEN where GRUPO = 'CAP'", kLive, 0},
        {MasterData::Vehicles, "select count(*) from COMPONEN where GRUPO = 'VEI'", kLive, 0},
        {MasterData::Packaging, "select count(*) from COMPONEN where GRUPO = 'EMB'", kLive, 0},
        {MasterData::Manufacturers, "select count(*) from FABRIC", kLive - demo.longManufacturerNames, demo.longManufacturerNames},
        {MasterData::Districts, "select count(*) from TAXABAIRRO", kLive, 0},
        {MasterData::DosageInstructions, "select count(*) from TABPOSO", kLive, 0},
    };
    ASSERT_EQ(std::size(cases), migrationDefs().size());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        if (c.refused > 0) {
            // The accepted rows are stored; the operator is told which records were refused.
            try {
                migrate(c.kind);
                ADD_FAILURE() << "expected the refused rows to be reported";
            } catch (const DetailedError& e) {
                EXPECT_EQ(occurrences(e.details(), "Registro "), c.refused) << e.details();
            }
        } else {
            const MigrationReport report = migrate(c.kind);
            EXPECT_EQ(report.end, MigrationReport::End::Completed) << report.text;
            EXPECT_EQ(report.notMigrated, 0) << report.details;
        }
        EXPECT_EQ(column(c.sql), std::vector<std::string>{std::to_string(c.rows)});
    }
    EXPECT_EQ(column("select count(*) from CLIENTES where CODIGO = " + demo.repeatedCustomerCode),
              std::vector<std::string>{"1"});

    // The first customer arrives with its accents and its birth date.
    const demo::Table& clientes = tableOf(tables, "Clientes");
    const demo::Record& first = clientes.records.front();
    const std::string name = rtrim(first.cells[static_cast<std::size_t>(clientes.fieldIndex("CLINOMECO"))]);
    const std::string birth = first.cells[static_cast<std::size_t>(clientes.fieldIndex("CLIDTNASC"))];
    ASSERT_EQ(birth.size(), 8u);
    EXPECT_EQ(rows("select NOME, DATAANIVERSARIO from CLIENTES where CODIGO = 1"),
              (std::vector<std::vector<std::string>>{
                  {rtrim(name.substr(0, 40)), birth.substr(0, 4) + "-" + birth.substr(4, 2) + "-" + birth.substr(6, 2)}}));
}

}  // namespace
}  // namespace mig::test
