// Capsules, vehicles and packaging: numbered after the greatest code of the whole components
// table, each into its own group.
#include "tests/migrations/MigrationFixture.h"

#include <algorithm>

#include "migrations/MigrationError.h"
#include "target/field/Errors.h"
#include "tests/migrations/LegacyLayouts.h"

namespace mig::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using Texts = std::vector<std::string>;

dbf::DbfWriter vehiclesTable() {
    return dbf::DbfWriter(0x03, {{"BASCODIGO", 'N', 5}, {"BASDESCRI", 'C', 80}, {"BASUNIDAD", 'C', 6}});
}
dbf::DbfWriter packagingTable() { return dbf::DbfWriter(0x03, {{"EMBCODIGO", 'N', 5}, {"EMBNOMECO", 'C', 80}}); }

TEST_F(MigrationTest, ComponentsAreNumberedAfterTheGreatestTextCode) {
    const struct {
        const char* name;
        std::vector<std::string> present;  // codes already in the table, any group
        MasterData kind;
        Texts codes;  // given to the three new rows
    } cases[] = {
        {"codes 000001 to 000350", {"*350"}, MasterData::Capsules, {"000351", "000352", "000353"}},
        // The greatest text is 99, not 000123.
        {"codes 000123 and 99", {"000123", "99"}, MasterData::Vehicles, {"000100", "000101", "000102"}},
        {"more than six digits", {"1234567"}, MasterData::Capsules, {"1234568", "1234569", "1234570"}},
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
        const MigrationReport report = migrate(c.kind);
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
    for (MasterData kind : {MasterData::RawMaterials, MasterData::Capsules, MasterData::Vehicles, MasterData::Packaging}) {
        SCOPED_TRACE(kind);
        const MigrationReport report = migrate(kind);
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
    const MigrationReport report = migrate(MasterData::Capsules);
    EXPECT_EQ(report.text, w("Procedimento concluído.\n"
                             "Registros migrados: 4; deixados de fora pelo filtro: 0; não migrados: 1."));
    EXPECT_EQ(report.details,
              w("Registros não migrados:\n"
                "Registro 3 (000013): 'abc' is not a valid floating point value for field 'ESTOQUECRITICO'\n"));
    EXPECT_EQ(rows("select CODIGO, COMPONENTE from COMPONEN where GRUPO = 'CAP' order by CODIGO"),
              (Rows{{"000011", "PRIMEIRA"}, {"000012", "SEGUNDA"}, {"000014", "QUARTA"}, {"000015", "QUINTA"}}));
}

// The three groups numbered by the procedure, each with a legacy table of three records.
struct NumberedGroup {
    MasterData kind;
    const char* legacyTable;
    const char* group;
};
constexpr NumberedGroup kNumberedGroups[] = {
    {MasterData::Capsules, "Capsulas", "CAP"},
    {MasterData::Vehicles, "Veiculos", "VEI"},
    {MasterData::Packaging, "Embalagens", "EMB"},
};

class NumberedGroupsTest : public MigrationTest {
protected:
    void writeThreeRecordsEach() {
        writeLegacy("Capsulas", capsulesTable().add({"1", "CAPSULA A", "1"}).add({"2", "CAPSULA B", "1"})
                                    .add({"3", "CAPSULA C", "1"}));
        writeLegacy("Veiculos", vehiclesTable().add({"1", "VEICULO A", "ml"}).add({"2", "VEICULO B", "ml"})
                                    .add({"3", "VEICULO C", "ml"}));
        writeLegacy("Embalagens", packagingTable().add({"1", "EMBALAGEM A"}).add({"2", "EMBALAGEM B"})
                                      .add({"3", "EMBALAGEM C"}));
    }
};

TEST_F(NumberedGroupsTest, AnEmptyComponentsTableRefusesEachGroupAndSaysToMigrateTheRawMaterialsFirst) {
    writeThreeRecordsEach();
    for (const NumberedGroup& g : kNumberedGroups) {
        SCOPED_TRACE(g.kind);
        preview(g.kind);
        // The query comes before the legacy table is moved: a cursor moved away stays where it is.
        table->Next();
        table->Next();
        AppendCounter counter(targetOf(g.kind));
        try {
            run(g.kind);
            ADD_FAILURE() << "expected the refusal";
        } catch (const AdvisedError& e) {
            EXPECT_STREQ(e.what(), "'' is not a valid integer value");
            EXPECT_EQ(e.advice(), w("A tabela de componentes está vazia; as matérias-primas (\"Componen - QTR23\") "
                                    "devem ser migradas primeiro."));
        }
        EXPECT_EQ(table->recNo(), 2);
        EXPECT_EQ(counter.appends, 0);
        EXPECT_EQ(targetOf(g.kind).ChangeCount(), 0);
        EXPECT_FALSE(targetDb.query.Active());
        EXPECT_EQ(column("select count(*) from COMPONEN"), Texts{"0"});
    }
}

TEST_F(NumberedGroupsTest, AGreatestCodeThatIsNoIntegerKeepsThePlainConversionMessage) {
    writeThreeRecordsEach();
    // A table that holds a row has a greatest code, even an empty one.
    for (const char* code : {"", "ABC", "000012A"}) {
        SCOPED_TRACE(std::string("greatest code '") + code + "'");
        exec("delete from COMPONEN");
        exec(std::string("insert into COMPONEN (CODIGO, GRUPO) values ('") + code + "', 'MP')");
        try {
            migrate(MasterData::Capsules);
            ADD_FAILURE() << "expected the conversion failure";
        } catch (const AdvisedError& e) {
            ADD_FAILURE() << "advice for a table that is not empty: " << e.advice();
        } catch (const ConversionError& e) {
            EXPECT_EQ(e.what(), "'" + std::string(code) + "' is not a valid integer value");
        }
        EXPECT_EQ(column("select count(*) from COMPONEN"), Texts{"1"});
    }
}

TEST_F(NumberedGroupsTest, RawMaterialsMigratedFirstGiveTheCodesTheOtherGroupsFollow) {
    writeLegacy("Componen", rawMaterialsTable()
                                .add({"42", "AMIDO", "g", "1", "1", "1", ""})
                                .add({"1", "TALCO", "g", "1", "1", "1", ""})
                                .add({"7", "LACTOSE", "g", "1", "1", "1", ""}));
    writeThreeRecordsEach();
    EXPECT_EQ(migrate(MasterData::RawMaterials).text, w("Procedimento concluído."));
    for (const NumberedGroup& g : kNumberedGroups) {
        SCOPED_TRACE(g.kind);
        const MigrationReport report = migrate(g.kind);
        EXPECT_EQ(report.text, w("Procedimento concluído."));
        EXPECT_EQ(report.details, "");
    }
    EXPECT_EQ(rows("select CODIGO, GRUPO from COMPONEN order by CODIGO"),
              (Rows{{"000001", "MP"}, {"000007", "MP"}, {"000042", "MP"},
                    {"000043", "CAP"}, {"000044", "CAP"}, {"000045", "CAP"},
                    {"000046", "VEI"}, {"000047", "VEI"}, {"000048", "VEI"},
                    {"000049", "EMB"}, {"000050", "EMB"}, {"000051", "EMB"}}));
}

TEST_F(NumberedGroupsTest, AnEmptyLegacyTableRunsTheQueryOnceAndEndsWithTheFinalMessage) {
    exec("insert into COMPONEN (CODIGO, GRUPO) values ('000042', 'MP')");
    writeLegacy("Capsulas", capsulesTable());
    writeLegacy("Veiculos", vehiclesTable());
    writeLegacy("Embalagens", packagingTable());
    for (const NumberedGroup& g : kNumberedGroups) {
        SCOPED_TRACE(g.kind);
        preview(g.kind);
        AppendCounter counter(targetOf(g.kind));
        const int runsBefore = targetDb.query.runs();
        const MigrationReport report = run(g.kind);
        EXPECT_EQ(report.end, MigrationReport::End::Completed);
        EXPECT_EQ(report.text, w("Procedimento concluído."));
        EXPECT_EQ(targetDb.query.runs() - runsBefore, 1);
        EXPECT_EQ(targetDb.query.SQL(), "Select Max(CODIGO) as MaiorCodigo from componen");
        EXPECT_FALSE(targetDb.query.Active());
        EXPECT_EQ(counter.appends, 0);
    }
    EXPECT_EQ(column("select count(*) from COMPONEN"), Texts{"1"});
}

TEST_F(NumberedGroupsTest, AnAppendThatFailsUsesNoNumber) {
    exec("insert into COMPONEN (CODIGO, GRUPO) values ('000020', 'MP')");
    writeLegacy("Capsulas", capsulesTable()
                                .add({"1", "PRIMEIRA", "1"})
                                .add({"2", "SEGUNDA", "1"})
                                .add({"3", "TERCEIRA", "1"})
                                .add({"4", "QUARTA", "1"}));
    preview(MasterData::Capsules);
    ClientDataSet& capsules = targetOf(MasterData::Capsules);
    // After the second record a row without its required code is left being filled: the third
    // record's append must post it first, and fails.
    EachRecord leavePendingRow([&](std::int64_t done) {
        if (done != 2) return;
        capsules.Append();
        capsules.FieldByName("COMPONENTE").setText("SEM CODIGO");
    });
    const MigrationReport report = run(MasterData::Capsules, &leavePendingRow);
    EXPECT_EQ(report.details,
              w("Registros não migrados:\nRegistro 3 (sem chave): Field 'CODIGO' must have a value\n"));
    EXPECT_EQ(rows("select CODIGO, COMPONENTE from COMPONEN where GRUPO = 'CAP' order by CODIGO"),
              (Rows{{"000021", "PRIMEIRA"}, {"000022", "SEGUNDA"}, {"000023", "QUARTA"}}));
}

TEST_F(MigrationTest, TheGreatestCodeIsReadBeforeTheAlreadyLoadedCheck) {
    const struct {
        const char* name;
        const char* codes;  // rows inserted before the run: code and group
        MasterData kind;
        const char* message;  // already-loaded message, or the failure's
        bool fails;
    } cases[] = {
        {"capsules loaded", "('000005', 'CAP')", MasterData::Capsules, "A tabela de Cápsulas já está carregada.", false},
        {"vehicles loaded", "('000005', 'VEI')", MasterData::Vehicles, "A tabela de Veículos já está carregada.", false},
        {"packaging loaded", "('000005', 'EMB')", MasterData::Packaging, "A tabela de Embalagens já está carregada.", false},
        // A greatest code that is no number fails first, loaded group or not.
        {"greatest code no number, group loaded", "('ABC', 'CAP')", MasterData::Capsules, "'ABC' is not a valid integer value",
         true},
        {"greatest code no number, group empty", "('ABC', 'MP')", MasterData::Packaging, "'ABC' is not a valid integer value",
         true},
    };
    writeLegacy("Capsulas", capsulesTable().add({"1", "NOVA", "1"}).add({"2", "OUTRA", "1"}));
    writeLegacy("Veiculos", vehiclesTable().add({"1", "NOVA", "ml"}).add({"2", "OUTRA", "ml"}));
    writeLegacy("Embalagens", packagingTable().add({"1", "NOVA"}).add({"2", "OUTRA"}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        exec("delete from COMPONEN");
        exec(std::string("insert into COMPONEN (CODIGO, GRUPO) values ") + c.codes);
        targetDb.query.setSQL("select 1 from rdb$database");
        preview(c.kind);
        table->Next();
        try {
            const MigrationReport report = run(c.kind);
            EXPECT_FALSE(c.fails);
            EXPECT_EQ(report.end, MigrationReport::End::AlreadyLoaded);
            EXPECT_EQ(report.text, w(c.message));
            EXPECT_EQ(table->recNo(), 0) << "back on the first record";
        } catch (const ConversionError& e) {
            EXPECT_TRUE(c.fails);
            EXPECT_STREQ(e.what(), c.message);
            EXPECT_EQ(table->recNo(), 1) << "the legacy table is moved only after the query";
        }
        EXPECT_EQ(targetDb.query.SQL(), "Select Max(CODIGO) as MaiorCodigo from componen");
        EXPECT_FALSE(targetDb.query.Active());
        EXPECT_EQ(column("select count(*) from COMPONEN"), Texts{"1"});
    }
}

}  // namespace
}  // namespace mig::test
