// "Conferir migração": for each of the twelve migrations a small legacy table with texts that
// are cut, values that fail, keys repeated or already held and records the filter leaves out;
// the check's summary and details, nothing written anywhere by it, and the real migration run
// afterwards storing exactly what the check said it would.
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "migrations/Check.h"
#include "migrations/MigrationError.h"
#include "target/field/Win1252.h"
#include "tests/migrations/LegacyLayouts.h"
#include "tests/migrations/MigrationFixture.h"

namespace mig::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The details' lines, written as the operator reads them (UTF-8 here).
std::string at(int record, const std::string& key) {
    return "Registro " + std::to_string(record) + (key.empty() ? " (sem chave)" : " (" + key + ")") + ": ";
}
std::string chars(std::size_t n) { return std::to_string(n) + (n == 1 ? " caractere" : " caracteres"); }
std::string cut(int record, const std::string& key, const std::string& field, std::size_t size,
                const std::string& kept, const std::string& lost) {
    return at(record, key) + "texto cortado em " + field + " (" + chars(size) + "): ficaria \"" + kept +
           "\"; perderia \"" + lost + "\" (" + chars(lost.size()) + ").";
}
std::string repeated(int record, const std::string& key, int first, const std::string& shown) {
    return at(record, key) + "chave repetida: o registro " + std::to_string(first) + " da tabela antiga já tem a chave " +
           shown + "; o servidor vai recusar este.";
}
std::string held(int record, const std::string& key) {
    return at(record, key) + "a chave " + key + " já está gravada no banco de dados: o servidor vai recusar o registro.";
}
std::string codeHeld(int record, const std::string& code) {
    return at(record, code) + "o código " + code + " já existe na tabela de componentes: o servidor vai recusar o registro.";
}
std::string code(int record, const std::string& code) { return at(record, code) + "receberia o código " + code + "."; }
std::string tooLong(int record, const std::string& key, const std::string& field, std::size_t length, int column) {
    return at(record, key) + field + " tem " + chars(length) + " e a coluna do servidor guarda " +
           std::to_string(column) + ": o servidor vai recusar o registro.";
}
std::string notMigrated(int record, const std::string& key, const std::string& message) {
    return at(record, key) + "não seria migrado: " + message;
}
std::string stopsHere(int record, const std::string& key, const std::string& message) {
    return at(record, key) + "a migração pararia neste registro: " + message;
}
std::string filtered(int record, const std::string& crm) {
    return at(record, crm) + "deixado de fora pelo filtro: MEDCRNUME \"" + crm +
           "\": o número do CRM precisa ter pelo menos 2 caracteres.";
}
std::string summary(int records, int migrated, int cutTexts, int refused, int filteredOut) {
    return "Registros: " + std::to_string(records) + "; seriam migrados: " + std::to_string(migrated) +
           "; com texto cortado: " + std::to_string(cutTexts) + "; seriam recusados: " + std::to_string(refused) +
           "; deixados de fora pelo filtro: " + std::to_string(filteredOut) + ".";
}

Lines linesOf(const std::string& win1252) {
    Lines lines;
    std::string utf8 = win1252ToUtf8(win1252);
    for (std::size_t start = 0; start < utf8.size();) {
        const std::size_t end = utf8.find('\n', start);
        lines.push_back(utf8.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// Legacy layouts of the pairs that LegacyLayouts.h does not hold.
dbf::DbfWriter suppliersLayout(const std::string& prefix) {
    const char* const names[] = {"CODIGO", "RAZAOS", "ENDERE", "BAIRRO", "NUMCEP", "CIDADE", "ESTADO",
                                 "TELEF1", "TELEF2", "NUMFAX", "E_MAIL", "HOMEPG", "CGCCPF", "INSCRG"};
    const int sizes[] = {6, 70, 45, 45, 10, 30, 2, 15, 15, 20, 40, 40, 20, 20};
    std::vector<dbf::FieldSpec> fields;
    for (std::size_t i = 0; i < std::size(names); ++i) fields.push_back({prefix + names[i], 'C', sizes[i]});
    return dbf::DbfWriter(0x03, std::move(fields));
}
std::vector<dbf::Cell> supplier(const std::string& code, const std::string& name) {
    return {code, name, "RUA " + code, "BAIRRO", "01000-000", "CIDADE", "SP", "1111", "2222", "", "", "", "", ""};
}
dbf::DbfWriter customersLayout() {
    return dbf::DbfWriter(0x83, {{"CLICODIGO", 'N', 6}, {"CLINOMECO", 'C', 50}, {"CLIENDERE", 'C', 60},
                                 {"CLIBAIRRO", 'C', 40}, {"CLICIDADE", 'C', 30}, {"CLIESTADO", 'C', 2},
                                 {"CLINUMCEP", 'C', 10}, {"CLINUMTEL", 'C', 30}, {"CLINUMCPF", 'C', 20},
                                 {"CLIDOCUME", 'C', 15}, {"CLIDTNASC", 'D'},     {"CLIE_MAIL", 'C', 60},
                                 {"CLIOBSERV", 'C', 60}, {"CLIOBSMAN", 'M'},     {"CLISEXOCL", 'C', 1},
                                 {"CLITPDOCU", 'C', 10}, {"CLIORGEXP", 'C', 10}, {"CLIESTEXP", 'C', 2}});
}
std::vector<dbf::Cell> customer(const std::string& code, const std::string& name) {
    return {code, name, "RUA", "CENTRO", "RECIFE", "PE", "50000-000", "", "", "", "19700101", "", "", "", "F", "",
            "", ""};
}

const std::string k52 = "DROGARIA E DISTRIBUIDORA DE INSUMOS FARMACEUTICOS LT";                    // 52
const std::string k65 = "LABORATORIO NACIONAL DE MANIPULACAO E DISTRIBUICAO DE INSUMOS SA.";       // 65
const std::string k72 = "CAPSULA GELATINOSA DURA INCOLOR NUMERO ZERO PARA MANIPULACAO MAGISTRAL A";  // 72

struct Case {
    MasterData kind;
    std::vector<std::string> before;  // statements run on the server first
    dbf::DbfWriter legacy;
    const char* rows;   // the target's rows on the server
    std::string summary;
    Lines details;      // UTF-8
};

std::vector<Case> cases() {
    std::vector<Case> c;
    // Batch: a repeated key is refused by the server, the other rows are stored.
    c.push_back({MasterData::PharmaceuticalForms, {},
                 dbf::DbfWriter(0x03, {{"GRPCODIGO", 'N', 3}, {"GRPDESCRI", 'C', 30}, {"GRPVALTEX", 'C', 20}})
                     .languageDriver(0x03)
                     .add({"1", w("CÁPSULA"), "30 DIAS"})
                     .add({"2", w("CREME DERMATOLÓGICO"), "90 DIAS DE VALIDADE"})
                     .add({"3", w("CÁPSULA"), "60 DIAS"}),
                 "FORMAFAR", summary(3, 2, 1, 1, 0),
                 {cut(2, "CREME DERMATOLÓ", "FORMAFARMA", 15, "CREME DERMATOLÓ", "GICO"),
                  cut(2, "CREME DERMATOLÓ", "VALIDADE", 15, "90 DIAS DE VALI", "DADE"),
                  repeated(3, "CÁPSULA", 1, "CÁPSULA")}});
    // A code cut to its four characters repeats another.
    c.push_back({MasterData::Suppliers, {},
                 suppliersLayout("FOR")
                     .add(supplier("1", k52))
                     .add(supplier("12345", "ACME"))
                     .add(supplier("12346", "ACME FILIAL")),
                 "FORNECED", summary(3, 2, 3, 1, 0),
                 {cut(1, "1", "NOME", 40, k52.substr(0, 40), k52.substr(40)),
                  cut(1, "1", "NOMEFANTASIA", 40, k52.substr(0, 40), k52.substr(40)),
                  cut(2, "1234", "CODIGO", 4, "1234", "5"), cut(3, "1234", "CODIGO", 4, "1234", "6"),
                  repeated(3, "1234", 2, "1234")}});
    // A failed conversion and an empty required field stop the batch: nothing is stored.
    c.push_back({MasterData::Families, {},
                 dbf::DbfWriter(0x03, {{"ACTCODIGO", 'C', 5}, {"ACTDESCRI", 'C', 40}})
                     .add({"1", "ANALGESICOS"})
                     .add({"2A", "VITAMINAS"})
                     .add({"", "HORMONIOS"}),
                 "FAMILIAS", summary(3, 0, 0, 3, 0),
                 {"A migração pararia no registro 2, o primeiro que não pode virar linha, e nenhum registro seria gravado.",
                  stopsHere(2, "", "'2A' is not a valid integer value for field 'CODIGO'"),
                  stopsHere(3, "", "o campo obrigatório CODIGO ficaria vazio: Field 'CODIGO' must have a value")}});
    c.push_back({MasterData::Customers, {},
                 customersLayout()
                     .add(customer("1", "ANA"))
                     .add(customer("2", k52.substr(0, 50)))
                     .add(customer("1", "ANA MARIA")),
                 "CLIENTES", summary(3, 2, 1, 1, 0),
                 {cut(2, "2", "NOME", 40, k52.substr(0, 40), k52.substr(40, 9)), repeated(3, "1", 1, "00/1")}});
    // The filter, a number cut to its ten characters, a number repeated.
    c.push_back({MasterData::Physicians, {},
                 physiciansTable()
                     .add(physician("12345", "ANA"))
                     .add(physician("1", "BETO"))
                     .add(physician("", "CAIO"))
                     .add(physician("12345", "DORA"))
                     .add(physician("12345678901", "EVA")),
                 "MEDICOS", summary(5, 2, 1, 1, 2),
                 {filtered(2, "1"), filtered(3, ""), repeated(4, "12345", 1, "12345/Médico"),
                  cut(5, "1234567890", "CRM", 10, "1234567890", "1")}});
    // A code another group holds, a code repeated, a factor the decimal field refuses.
    c.push_back({MasterData::RawMaterials, {"insert into COMPONEN (CODIGO, GRUPO) values ('000007', 'CAP')"},
                 rawMaterialsTable()
                     .add({"42", k72, "g", "1", "1", "0", "A"})
                     .add({"7", "CAFEINA", "g", "1", "1", "0", "B"})
                     .add({"42", "ACIDO", "g", "1", "1", "0", "C"})
                     .add({"43", "ZINCO", "g", "0.00005", "1", "0", "D"}),
                 "COMPONEN where GRUPO = 'MP'", summary(4, 1, 1, 3, 0),
                 {cut(1, "000042", "COMPONENTE", 70, k72.substr(0, 70), k72.substr(70)), held(2, "000007"),
                  repeated(3, "000042", 1, "000042"), notMigrated(4, "000043", "5E-5 is not a valid BCD value")}});
    // Numbered after the greatest text code, 99: the second code is taken already.
    c.push_back({MasterData::Capsules,
                 {"insert into COMPONEN (CODIGO, GRUPO) values ('000101', 'MP')",
                  "insert into COMPONEN (CODIGO, GRUPO) values ('99', 'EMB')"},
                 capsulesTable('C')
                     .add({"1", "CAPSULA 0", "10"})
                     .add({"2", "CAPSULA 1", "10"})
                     .add({"3", k72, "10"})
                     .add({"4", "CAPSULA 3", "X"}),
                 "COMPONEN where GRUPO = 'CAP'", summary(4, 2, 1, 2, 0),
                 {code(1, "000100"), code(2, "000101"), codeHeld(2, "000101"), code(3, "000102"),
                  cut(3, "000102", "COMPONENTE", 70, k72.substr(0, 70), k72.substr(70)), code(4, "000103"),
                  notMigrated(4, "000103", "'X' is not a valid floating point value for field 'ESTOQUECRITICO'")}});
    // An empty components table: what the migration says, and nothing stored.
    c.push_back({MasterData::Vehicles, {},
                 dbf::DbfWriter(0x03, {{"BASCODIGO", 'N', 5}, {"BASDESCRI", 'C', 80}, {"BASUNIDAD", 'C', 10}})
                     .add({"1", "BASE CREME", "mililitro"})
                     .add({"2", "BASE GEL", "g"}),
                 "COMPONEN where GRUPO = 'VEI'", summary(2, 0, 1, 2, 0),
                 {"A migração não gravaria nada e diria: '' is not a valid integer value.",
                  "A tabela de componentes está vazia; as matérias-primas (\"Componen - QTR23\") devem ser migradas primeiro.",
                  cut(1, "000001", "UNID", 4, "mili", "litro")}});
    // A loaded group: the already-loaded message, nothing stored.
    c.push_back({MasterData::Packaging, {"insert into COMPONEN (CODIGO, GRUPO) values ('000050', 'EMB')"},
                 dbf::DbfWriter(0x03, {{"EMBCODIGO", 'N', 5}, {"EMBNOMECO", 'C', 80}})
                     .add({"1", "FRASCO 30 ML"})
                     .add({"2", "POTE 50 G"}),
                 "COMPONEN where GRUPO = 'EMB'", summary(2, 0, 0, 2, 0),
                 {"A migração não gravaria nada e diria: A tabela de Embalagens já está carregada.", code(1, "000051"),
                  code(2, "000052")}});
    // Names of 41 to 60 characters fit the dataset's 60 but not the server's 40; a refused row
    // leaves its code free for a later record.
    c.push_back({MasterData::Manufacturers, {},
                 suppliersLayout("FAB")
                     .add(supplier("1", "LABORATORIO UM"))
                     .add(supplier("2", k52))
                     .add(supplier("3", k65))
                     .add(supplier("2", "LABORATORIO DOIS")),
                 "FABRIC", summary(4, 2, 2, 2, 0),
                 {cut(2, "2", "NOMEFANTASIA", 40, k52.substr(0, 40), k52.substr(40)), tooLong(2, "2", "NOME", 52, 40),
                  cut(3, "3", "NOME", 60, k65.substr(0, 60), k65.substr(60)),
                  cut(3, "3", "NOMEFANTASIA", 40, k65.substr(0, 40), k65.substr(40)), tooLong(3, "3", "NOME", 60, 40)}});
    // Two districts whose names differ only after the fortieth character.
    c.push_back({MasterData::Districts, {},
                 dbf::DbfWriter(0x03, {{"REGBAIRRO", 'C', 50}})
                     .add({"CENTRO"})
                     .add({"CENTRO"})
                     .add({std::string(40, 'J') + "ARDIM"})
                     .add({std::string(40, 'J') + "ARDINS"}),
                 "TAXABAIRRO", summary(4, 2, 2, 2, 0),
                 {repeated(2, "CENTRO", 1, "CENTRO"), cut(3, std::string(40, 'J'), "BAIRRO", 40, std::string(40, 'J'), "ARDIM"),
                  cut(4, std::string(40, 'J'), "BAIRRO", 40, std::string(40, 'J'), "ARDINS"),
                  repeated(4, std::string(40, 'J'), 3, std::string(40, 'J'))}});
    c.push_back({MasterData::DosageInstructions, {},
                 dbf::DbfWriter(0x03, {{"POSCODIGO", 'C', 8}, {"POSDESCRI", 'M'}})
                     .add({"1", "1 CAPSULA AO DIA"})
                     .add({"1234567", "2 VEZES AO DIA"})
                     .add({"1", std::string(300, 'x')}),
                 "TABPOSO", summary(3, 2, 2, 1, 0),
                 {cut(2, "123456", "CODIGO", 6, "123456", "7"),
                  cut(3, "1", "POSOLOGIA", 255, std::string(255, 'x'), std::string(45, 'x')), repeated(3, "1", 1, "1")}});
    return c;
}

// What the legacy folder holds: each file's bytes and time of change.
std::map<std::string, std::pair<std::string, fs::file_time_type>> folderState(const std::string& folder) {
    std::map<std::string, std::pair<std::string, fs::file_time_type>> state;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        state[entry.path().filename().string()] = {std::move(bytes), fs::last_write_time(entry.path())};
    }
    return state;
}

class CheckTest : public MigrationTest {
protected:
    // Every row of every target table, as the server holds it.
    std::vector<std::string> serverState() {
        std::vector<std::string> state;
        for (const char* name : {"FORMAFAR", "FORNECED", "FAMILIAS", "CLIENTES", "MEDICOS", "FABRIC", "TAXABAIRRO",
                                  "TABPOSO", "COMPONEN"}) {
            for (const auto& row : rows(std::string("select * from ") + name)) {
                std::string line = name;
                for (const std::string& value : row) line += "|" + value;
                state.push_back(line);
            }
        }
        std::sort(state.begin(), state.end());
        return state;
    }
    int count(const char* tableAndCondition) {
        return std::stoi(column(std::string("select count(*) from ") + tableAndCondition).at(0));
    }
};

TEST_F(CheckTest, EachMigrationIsCheckedRecordByRecordAndThenStoresWhatTheCheckSaid) {
    for (Case& c : cases()) {
        SCOPED_TRACE(c.kind);
        exec("delete from COMPONEN");
        for (const std::string& sql : c.before) exec(sql);
        writeLegacy(migrationOf(c.kind).legacyTable, c.legacy);
        preview(c.kind);
        ClientDataSet& target = targetOf(c.kind);
        const int rowsBefore = target.RecordCount();
        const auto server = serverState();
        const auto files = folderState(legacy.path());

        CheckReport check;
        {
            AppendCounter appends(target);
            check = runCheck(migrationOf(c.kind), *table, target, targetDb.query);
            EXPECT_EQ(appends.appends, 0) << "the check appends nothing to the target dataset";
        }
        EXPECT_EQ(check.end, CheckReport::End::Completed);
        EXPECT_EQ(win1252ToUtf8(check.summary), c.summary);
        EXPECT_EQ(linesOf(check.details()), c.details);
        EXPECT_EQ(check.records, check.migrated + check.refused + check.filtered);

        // Nothing written: not the server, not the legacy folder, not the target dataset.
        EXPECT_EQ(serverState(), server);
        EXPECT_EQ(folderState(legacy.path()), files);
        EXPECT_EQ(target.RecordCount(), rowsBefore);
        EXPECT_EQ(target.ChangeCount(), 0);
        EXPECT_EQ(target.State(), DataSetState::Browse);

        // The real migration, on the pair as the check left it.
        const int storedBefore = count(c.rows);
        std::optional<MigrationReport> report;
        try {
            report = run(c.kind);
        } catch (const DataError&) {
            // A batch with a record that cannot become a row, or with rows the server refused;
            // components numbered in an empty table.
        }
        EXPECT_EQ(count(c.rows) - storedBefore, check.migrated) << "rows stored";
        if (report && report->end == MigrationReport::End::Completed) {
            EXPECT_EQ(report->migrated, check.migrated);
            EXPECT_EQ(report->filtered, check.filtered);
            if (migrationOf(c.kind).form == MigrationForm::RowByRow) EXPECT_EQ(report->notMigrated, check.refused);
            else EXPECT_EQ(check.refused, 0);
        } else if (!report) {
            EXPECT_GT(check.refused, 0) << "the migration failed where the check said records would be refused";
        } else {
            EXPECT_EQ(report->end, MigrationReport::End::AlreadyLoaded);
            EXPECT_EQ(check.migrated, 0);
        }
    }
}

TEST_F(CheckTest, TheDetailsGoToACsvFileWithOneLinePerFinding) {
    exec("insert into TAXABAIRRO (BAIRRO) values ('SE')");
    writeLegacy("Bairros", dbf::DbfWriter(0x03, {{"REGBAIRRO", 'C', 50}})
                               .add({"SE"})
                               .add({std::string(38, 'V') + "; \"X\""}));
    preview(MasterData::Districts);
    const CheckReport check = runCheck(migrationOf(MasterData::Districts), *table, targetOf(MasterData::Districts),
                                       targetDb.query);
    const std::string expected =
        "\xEF\xBB\xBFRegistro;Chave;Campo;Ocorrência\r\n"
        ";;;A migração não gravaria nada e diria: A tabela de Bairros já está carregada.\r\n"
        "1;SE;BAIRRO;a chave SE já está gravada no banco de dados: o servidor vai recusar o registro.\r\n"
        "2;\"" + std::string(38, 'V') + ";\";BAIRRO;\"texto cortado em BAIRRO (40 caracteres): ficaria \"\"" +
        std::string(38, 'V') + ";\"\"; perderia \"\"\"\"X\"\"\"\" (3 caracteres).\"\r\n";
    EXPECT_EQ(check.csv(), expected);
}

}  // namespace
}  // namespace mig::test
