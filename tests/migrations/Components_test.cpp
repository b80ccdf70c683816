// Capsules, vehicles and packaging: numbered after the greatest code of the whole components
// table, each into its own group.
#include "tests/migrations/MigrationFixture.h"

#include <algorithm>

#include "target/field/Errors.h"

namespace mig::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using Texts = std::vector<std::string>;

dbf::DbfWriter capsulesTable(char minimumType = 'N') {
    return dbf::DbfWriter(0x03, {{"EMBCODIGO", 'N', 5}, {"EMBNOMECO", 'C', 80}, {"EMBESTMIN", minimumType, 10,
                                                                                  minimumType == 'N' ? 2 : 0}});
}
dbf::DbfWriter vehiclesTable() {
    return dbf::DbfWriter(0x03, {{"BASCODIGO", 'N', 5}, {"BASDESCRI", 'C', 80}, {"BASUNIDAD", 'C', 6}});
}
dbf::DbfWriter packagingTable() { return dbf::DbfWriter(0x03, {{"EMBCODIGO", 'N', 5}, {"EMBNOMECO", 'C', 80}}); }

TEST_F(MigrationTest, ComponentsAreNumberedAfterTheGreatestTextCode) {
    const struct {
        const char* name;
        std::vector<std::string> present;  // codes already in the table, any group
        const char* button;
        Texts codes;  // given to the three new rows
    } cases[] = {
        {"no component yet", {}, "BitBtn25", {"000001", "000002", "000003"}},
        {"codes 000001 to 000350", {"*350"}, "BitBtn17", {"000351", "000352", "000353"}},
        // The greatest text is 99, not 000123.
        {"codes 000123 and 99", {"000123", "99"}, "BitBtn23", {"000100", "000101", "000102"}},
        {"more than six digits", {"1234567"}, "BitBtn17", {"1234568", "1234569", "1234570"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        exec("delete from COMPONEN");
        for (const std::string& code : c.present) {
            if (code == "*350") {
                exec("execute block as declare i integer = 1; begin while (i <= 350) do begin "
                     "insert into COMPONEN (CODIGO, GRUPO) values (lpad(:i, 6, '0'), "
                     "case mod(:i, 2) when 0 then 'MP' else 'EMB' end); i = i + 1; end end");
            } else {
                exec("insert into COMPONEN (CODIGO, GRUPO) values ('" + code + "', 'MP')");
            }
        }
        writeLegacy("Capsulas", capsulesTable().add({"1", "A", "1"}).add({"2", "B", "1"}).add({"3", "C", "1"}));
        writeLegacy("Veiculos", vehiclesTable().add({"1", "A", "ml"}).add({"2", "B", "ml"}).add({"3", "C", "ml"}));
        writeLegacy("Embalagens", packagingTable().add({"1", "A"}).add({"2", "B"}).add({"3", "C"}));
        const MigrationReport report = migrate(c.button);
        EXPECT_EQ(report.text, w("Procedimento concluído."));
        EXPECT_EQ(column("select CODIGO from COMPONEN where COMPONENTE in ('A', 'B', 'C') order by COMPONENTE"),
                  c.codes);
    }
}

TEST_F(MigrationTest, CapsulesVehiclesAndPackagingCarryTheirConstantsAndLegacyTexts) {
    const std::string name75(75, 'V');
    writeLegacy("Componen", dbf::DbfWriter(0x03, {{"MATCODIGO", 'N', 7},
                                                  {"MATNOMECO", 'C', 40},
                                                  {"MATUNICOM", 'C', 4},
                                                  {"MATFATCOR", 'N', 8, 3},
                                                  {"MATDENSID", 'N', 8, 3},
                                                  {"MATESTMIN", 'N', 8, 2},
                                                  {"MATNOMECI", 'C', 40}})
                                .add({"1", "AMIDO", "g", "1", "1", "1", "AMYLUM"})
                                .add({"2", "TALCO", "g", "1", "1", "1", "TALCUM"}));
    writeLegacy("Capsulas", capsulesTable().add({"9", "CAPSULA 0 AZUL", "500"}).add({"8", "CAPSULA 1", ""}));
    writeLegacy("Veiculos", vehiclesTable().add({"9", name75, "FRASCO"}).add({"8", "CREME BASE", "g"}));
    writeLegacy("Embalagens", packagingTable().add({"9", "POTE 100 G"}));
    for (const char* button : {"BitBtn20", "BitBtn17", "BitBtn23", "BitBtn25"}) {
        SCOPED_TRACE(button);
        const MigrationReport report = migrate(button);
        EXPECT_EQ(report.text, w("Procedimento concluído."));
        EXPECT_EQ(report.details, "");
    }
    const auto component = [](const char* code, const std::string& name, const char* group, const char* unit,
                              const char* minimum) {
        return std::vector<std::string>{code,      name,         group,        unit,         "10.00000000",
                                        "1000.00000000", "3.00000000", "1000.00000000", "1.00000000", "1.00000000",
                                        minimum,   "1000000",    "<null>"};
    };
    EXPECT_EQ(rows("select CODIGO, COMPONENTE, GRUPO, UNID, cast(CUSTOUNITUS as varchar(30)), "
                   "cast(CUSTOUNITR as varchar(30)), cast(MULTIPLICADOR as varchar(30)), "
                   "cast(DIVISORUNID as varchar(30)), cast(FATORCORRECAO as varchar(30)), "
                   "cast(DENSIDADE as varchar(30)), ESTOQUECRITICO, ESTOQUEMAXIMO, NOMECIENTIFICO "
                   "from COMPONEN where GRUPO <> 'MP' order by CODIGO"),
              (Rows{
                  component("000003", "CAPSULA 0 AZUL", "CAP", "un", "500"),
                  // An empty minimum stock leaves ESTOQUECRITICO null.
                  component("000004", "CAPSULA 1", "CAP", "un", "<null>"),
                  // The name keeps 70 characters and the unit 4.
                  component("000005", name75.substr(0, 70), "VEI", "FRAS", "0"),
                  component("000006", "CREME BASE", "VEI", "g", "0"),
                  component("000007", "POTE 100 G", "EMB", "un", "0"),
              }));
    // Each of the four chains over the components table sees its own group alone.
    const struct {
        const char* dataSet;
        const char* group;
        Texts codes;
    } chains[] = {
        {"COMPONEN", "MP", {"000001", "000002"}},
        {"Capsulas", "CAP", {"000003", "000004"}},
        {"Veiculos", "VEI", {"000005", "000006"}},
        {"Embalagens", "EMB", {"000007"}},
    };
    for (const auto& chain : chains) {
        SCOPED_TRACE(chain.dataSet);
        ClientDataSet& ds = dataSet(chain.dataSet);
        EXPECT_EQ(ds.ChangeCount(), 0);
        Texts codes;
        for (ds.First(); !ds.Eof(); ds.Next()) {
            EXPECT_EQ(ds.FieldByName("GRUPO").asText(), chain.group);
            codes.push_back(ds.FieldByName("CODIGO").asText());
        }
        std::sort(codes.begin(), codes.end());
        EXPECT_EQ(codes, chain.codes);
    }
}

TEST_F(MigrationTest, ACapsuleFailingAfterItsCodeLeavesAGapAndIsReported) {
    exec("insert into COMPONEN (CODIGO, GRUPO) values ('000010', 'MP')");
    writeLegacy("Capsulas", capsulesTable('C')
                                .add({"1", "PRIMEIRA", "1"})
                                .add({"2", "SEGUNDA", "2"})
                                .add({"3", "TERCEIRA", "abc"})
                                .add({"4", "QUARTA", "4"})
                                .add({"5", "QUINTA", "5"}));
    const MigrationReport report = migrate("BitBtn17");
    EXPECT_EQ(report.text, w("Procedimento concluído.\n"
                             "Registros migrados: 4; deixados de fora pelo filtro: 0; não migrados: 1."));
    EXPECT_EQ(report.details,
              w("Registros não migrados:\n"
                "Registro 3 (000013): 'abc' is not a valid floating point value for field 'ESTOQUECRITICO'\n"));
    EXPECT_EQ(rows("select CODIGO, COMPONENTE from COMPONEN where GRUPO = 'CAP' order by CODIGO"),
              (Rows{{"000011", "PRIMEIRA"}, {"000012", "SEGUNDA"}, {"000014", "QUARTA"}, {"000015", "QUINTA"}}));
}

TEST_F(MigrationTest, TheGreatestCodeIsReadBeforeTheAlreadyLoadedCheck) {
    const struct {
        const char* name;
        const char* codes;  // rows inserted before the run: code and group
        const char* button;
        const char* message;  // already-loaded message, or the failure's
        bool fails;
    } cases[] = {
        {"capsules loaded", "('000005', 'CAP')", "BitBtn17", "A tabela de Cápsulas já está carregada.", false},
        {"vehicles loaded", "('000005', 'VEI')", "BitBtn23", "A tabela de Veículos já está carregada.", false},
        {"packaging loaded", "('000005', 'EMB')", "BitBtn25", "A tabela de Embalagens já está carregada.", false},
        // A greatest code that is no number fails first, loaded group or not.
        {"greatest code no number, group loaded", "('ABC', 'CAP')", "BitBtn17", "'ABC' is not a valid integer value",
         true},
        {"greatest code no number, group empty", "('ABC', 'MP')", "BitBtn25", "'ABC' is not a valid integer value",
         true},
    };
    writeLegacy("Capsulas", capsulesTable().add({"1", "NOVA", "1"}));
    writeLegacy("Veiculos", vehiclesTable().add({"1", "NOVA", "ml"}));
    writeLegacy("Embalagens", packagingTable().add({"1", "NOVA"}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        exec("delete from COMPONEN");
        exec(std::string("insert into COMPONEN (CODIGO, GRUPO) values ") + c.codes);
        dm.SQLQuery1.setSQL("select 1 from rdb$database");
        try {
            const MigrationReport report = migrate(c.button);
            EXPECT_FALSE(c.fails);
            EXPECT_EQ(report.end, MigrationReport::End::AlreadyLoaded);
            EXPECT_EQ(report.text, w(c.message));
            EXPECT_EQ(table->recNo(), 0);
        } catch (const ConversionError& e) {
            EXPECT_TRUE(c.fails);
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_EQ(dm.SQLQuery1.SQL(), "Select Max(CODIGO) as MaiorCodigo from componen");
        EXPECT_FALSE(dm.SQLQuery1.Active());
        EXPECT_EQ(column("select count(*) from COMPONEN"), Texts{"1"});
    }
}

}  // namespace
}  // namespace mig::test
