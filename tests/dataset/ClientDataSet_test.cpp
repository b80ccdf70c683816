// Opening the target datasets on a real embedded database: binding, the rows held, the cursor,
// filling rows and the text of their fields.
#include "target/dataset/ClientDataSet.h"

#include <gtest/gtest.h>

#include "target/field/Errors.h"
#include "target/field/RegionalSettings.h"
#include "target/field/Win1252.h"
#include "tests/support/TargetDb.h"

namespace mig {
namespace {

using test::TargetDb;

std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const DataError& e) {
        return e.what();
    }
    return "<no failure>";
}

RegionalSettings commaLocale() {
    RegionalSettings s;
    s.decimalSeparator = ',';
    s.dateSeparator = '/';
    s.shortDateFormat = "dd/mm/yyyy";
    return s;
}

TEST(ClientDataSetOpen, EveryChainOpensOnTheTargetSchemaAndHoldsItsRows) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    struct Case {
        const char* dataSet;
        const char* insert;
        const char* field;
        const char* text;
    };
    const Case cases[] = {
        {"FormaFar", "insert into FORMAFAR (FORMAFARMA, CUSTOFIXO) values ('CAPSULA', 1.5)", "CUSTOFIXO", "1.5"},
        {"Fornecedor", "insert into FORNECED (CODIGO, NOMEFANTASIA) values ('0001', 'ACME')", "NOMEFANTASIA", "ACME"},
        {"Familias", "insert into FAMILIAS (CODIGO, MARGEM) values (7, 1.25)", "MARGEM", "1.25"},
        {"CLIENTES", "insert into CLIENTES (ESTACAO, CODIGO, DATAANIVERSARIO) values ('01', 3, '1980-02-29')",
         "DATAANIVERSARIO", "2/29/80"},
        {"MEDICOS", "insert into MEDICOS (CRM, ESPECIALIDADE, DATAANIVERSARIO) values ('123', 'CLINICO', '12/05')",
         "DATAANIVERSARIO", "12/05"},
        {"Fabric", "insert into FABRIC (CODIGO, PRAZO_PAGAMENTO) values (9, 30)", "PRAZO_PAGAMENTO", "30"},
        {"TaxaBar", "insert into TAXABAIRRO (BAIRRO, TAXA) values ('CENTRO', 5)", "TAXA", "5"},
        {"TabPoso", "insert into TABPOSO (CODIGO, POSOLOGIA) values ('001', '1 ao dia')", "POSOLOGIA", "1 ao dia"},
        {"COMPONEN", "insert into COMPONEN (CODIGO, GRUPO, QDEESTOQUE) values ('000001', 'MP', 2.5)", "QDEESTOQUE", "2.5"},
        {"Capsulas", "insert into COMPONEN (CODIGO, GRUPO, TEMPOMANIP) values ('000002', 'CAP', 15)", "TEMPOMANIP", "15"},
        {"Veiculos", "insert into COMPONEN (CODIGO, GRUPO, FICHATECNICA) values ('000003', 'VEI', 'longa')",
         "FICHATECNICA", "longa"},
        {"Embalagens", "insert into COMPONEN (CODIGO, GRUPO, VALIDADE) values ('000004', 'EMB', '2026-01-02 03:04:05')",
         "VALIDADE", "1/2/26 3:04:05"},
    };
    for (const Case& c : cases) t.exec(c.insert);
    for (const Case& c : cases) {
        ClientDataSet& ds = t.dataSet(c.dataSet);
        ASSERT_NO_THROW(ds.Open()) << c.dataSet;
        EXPECT_TRUE(ds.Active());
        EXPECT_EQ(ds.FieldCount(), static_cast<int>(findChain(c.dataSet)->clientFields.size()));
        EXPECT_EQ(ds.RecordCount(), 1) << c.dataSet;
        EXPECT_EQ(ds.FieldByName(c.field).asText(), c.text) << c.dataSet;
        ds.Close();
        EXPECT_FALSE(ds.Active());
    }
}

TEST(ClientDataSetOpen, TheComponentChainsShowOnlyTheirGroup) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    const std::pair<const char*, int> groups[] = {{"MP", 3}, {"CAP", 2}, {"VEI", 1}, {"EMB", 4}, {"XYZ", 2}};
    int code = 0;
    for (const auto& [group, n] : groups)
        for (int i = 0; i < n; ++i)
            t.exec("insert into COMPONEN (CODIGO, GRUPO) values ('" + std::to_string(++code) + "', '" + group + "')");
    const std::pair<const char*, const char*> chains[] = {
        {"COMPONEN", "MP"}, {"Capsulas", "CAP"}, {"Veiculos", "VEI"}, {"Embalagens", "EMB"}};
    int total = 0;
    for (const auto& [name, group] : chains) {
        ClientDataSet& ds = t.dataSet(name);
        ds.Open();
        for (ds.First(); !ds.Eof(); ds.Next()) EXPECT_EQ(ds.FieldByName("GRUPO").asText(), group) << name;
        total += ds.RecordCount();
    }
    EXPECT_EQ(t.dataSet("COMPONEN").RecordCount(), 3);
    EXPECT_EQ(t.dataSet("Embalagens").RecordCount(), 4);
    EXPECT_EQ(total, 10);
}

TEST(ClientDataSetOpen, PhysiciansAgainstADateColumnFailWithTheTypeMismatch) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    t.exec("drop table MEDICOS");
    t.exec("create table MEDICOS (CRM varchar(10) not null, ESPECIALIDADE varchar(25) not null, NOME varchar(40),"
           " ENDERECO varchar(60), COMPLEMENTO varchar(30), CEP varchar(10), CIDADE varchar(30), ESTADO varchar(2),"
           " TELEFONES varchar(30), QDEFORMULAS integer, VALORTOTAL numeric(15,2), COMISSPERC numeric(15,2),"
           " COMISSAO numeric(15,2), DATAANIVERSARIO date, OBSERVACAO varchar(250), E_MAIL varchar(60),"
           " NOME_SECRETARIA varchar(40), ANIV_SECRETARIA varchar(5), ATENDENTE varchar(20),"
           " REPRESENTANTE varchar(40), CONSELHOPROFISSIONAL varchar(10), UFCONSELHO varchar(2))");
    ClientDataSet& ds = t.dataSet("MEDICOS");
    EXPECT_EQ(failureOf([&] { ds.Open(); }),
              "MEDICOS: Type mismatch for field 'DATAANIVERSARIO', expecting: String actual: Date");
    EXPECT_FALSE(ds.Active());
}

TEST(ClientDataSetOpen, FamiliesAgainstATextCodeFailAndStayClosed) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    t.exec("drop table FAMILIAS");
    t.exec("create table FAMILIAS (CODIGO varchar(10) not null primary key, FAMILIA varchar(30), MARGEM numeric(15,8))");
    t.exec("insert into FAMILIAS (CODIGO) values ('1')");
    ClientDataSet& ds = t.dataSet("Familias");
    EXPECT_EQ(failureOf([&] { ds.Open(); }), "Familias: Type mismatch for field 'CODIGO', expecting: Integer actual: String");
    EXPECT_FALSE(ds.Active());
    EXPECT_EQ(failureOf([&] { (void)ds.RecordCount(); }), "Familias: Cannot perform this operation on a closed dataset");
}

TEST(ClientDataSetOpen, ADeclaredFieldTheRowsLackFailsTheOpen) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    SQLDataSet sql("SQLDS_Part", t.connection, "select FORMAFARMA, VALIDADE from FORMAFAR");
    DataSetProvider provider("DSP_Part", sql);
    ClientDataSet ds("Part", findChain("FormaFar")->clientFields, &provider);
    EXPECT_EQ(failureOf([&] { ds.Open(); }), "Part: Field 'CUSTOFIXO' not found");
    EXPECT_FALSE(ds.Active());
}

TEST(ClientDataSetOpen, TheServersRefusalOfTheSelectLeavesTheDataSetClosed) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    t.exec("drop table TABPOSO");
    ClientDataSet& ds = t.dataSet("TabPoso");
    EXPECT_THROW(ds.Open(), DataError);
    EXPECT_FALSE(ds.Active());
}

TEST(ClientDataSetOpen, KeyMarksAreThoseOfTheSqlDataSet) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    ClientDataSet& medicos = t.dataSet("MEDICOS");
    ClientDataSet& forms = t.dataSet("FormaFar");
    medicos.Open();
    forms.Open();
    EXPECT_TRUE(medicos.Fields(0).def().key) << "declared on the client";
    EXPECT_FALSE(medicos.Fields(0).providerKey()) << "the physicians' SQL dataset declares no fields";
    EXPECT_TRUE(forms.Fields(0).providerKey());
    EXPECT_FALSE(forms.Fields(1).providerKey());
}

TEST(ClientDataSetOpen, TextLosesItsTrailingBlanks) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    t.exec("create table PADDED (C char(6), V varchar(6))");
    t.exec("insert into PADDED values ('AB', 'CD  ')");
    SQLDataSet sql("SQLDS_Padded", t.connection, "select C, V from PADDED");
    DataSetProvider provider("DSP_Padded", sql);
    constexpr FieldSpec fields[] = {{"C", FieldKind::Text, 6}, {"V", FieldKind::Text, 6}};
    ClientDataSet ds("Padded", fields, &provider);
    ds.Open();
    EXPECT_EQ(ds.FieldByName("C").asText(), "AB");
    EXPECT_EQ(ds.FieldByName("V").asText(), "CD");
    ds.Append();
    ds.FieldByName("C").setText("XY    ");
    EXPECT_EQ(ds.FieldByName("C").asText(), "XY");
    ds.FieldByName("V").setText("   ");
    EXPECT_FALSE(ds.FieldByName("V").isNull()) << "an empty text is kept as the empty text";
    EXPECT_EQ(ds.FieldByName("V").asText(), "");
}

TEST(ClientDataSetCursor, WalksTheRowsInTheSelectsOrder) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    for (const char* f : {"PO", "CAPSULA", "XAROPE"})
        t.exec(std::string("insert into FORMAFAR (FORMAFARMA) values ('") + f + "')");
    ClientDataSet& ds = t.dataSet("FormaFar");
    ds.Open();
    std::vector<std::string> seen;
    for (ds.First(); !ds.Eof(); ds.Next()) seen.push_back(std::to_string(ds.RecNo()) + ds.FieldByName("formafarma").asText());
    EXPECT_EQ(seen, (std::vector<std::string>{"1CAPSULA", "2PO", "3XAROPE"}));
    ds.Prior();
    ds.Prior();
    EXPECT_EQ(ds.FieldByName("FORMAFARMA").asText(), "CAPSULA");
    ds.Prior();
    EXPECT_TRUE(ds.Bof());
}

TEST(ClientDataSetCursor, ReReadKeepsThePositionAndPreparesTheSelectOnce) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    for (const char* f : {"A", "B", "C"}) t.exec(std::string("insert into FORMAFAR (FORMAFARMA) values ('") + f + "')");
    DataSetChain& chain = t.chain("FormaFar");
    ClientDataSet& ds = chain.dataSet;
    ds.Open();
    ds.moveTo(2);
    t.exec("insert into FORMAFAR (FORMAFARMA) values ('0')");
    ds.Refresh();
    EXPECT_EQ(ds.RecordCount(), 4);
    EXPECT_EQ(ds.RecNo(), 3);
    EXPECT_EQ(ds.FieldByName("FORMAFARMA").asText(), "B");
    t.exec("delete from FORMAFAR where FORMAFARMA <> 'A'");
    ds.Last();
    ds.Refresh();
    EXPECT_EQ(ds.RecNo(), 1) << "as far as the dataset still holds that many rows";
    ds.Close();
    ds.Open();
    EXPECT_EQ(chain.sqlDataSet.prepareCount(), 1);
}

TEST(ClientDataSetFilling, OperationsOnAClosedOrBrowsingDataSetFail) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    ClientDataSet& ds = t.dataSet("FormaFar");
    const std::string closed = "FormaFar: Cannot perform this operation on a closed dataset";
    const std::string notEditing = "FormaFar: Dataset not in edit or insert mode";
    EXPECT_EQ(failureOf([&] { ds.Append(); }), closed);
    EXPECT_EQ(failureOf([&] { (void)ds.RecordCount(); }), closed);
    EXPECT_EQ(failureOf([&] { (void)ds.ApplyUpdates(-1); }), closed);
    EXPECT_EQ(failureOf([&] { ds.Refresh(); }), closed);
    EXPECT_EQ(failureOf([&] { ds.Post(); }), notEditing);
    EXPECT_EQ(failureOf([&] { ds.FieldByName("VALIDADE").setText("x"); }), notEditing);
    EXPECT_EQ(failureOf([&] { ds.FieldByName("NADA"); }), "FormaFar: Field 'NADA' not found");
    ds.Open();
    EXPECT_EQ(failureOf([&] { ds.Post(); }), notEditing);
    EXPECT_EQ(failureOf([&] { ds.FieldByName("VALIDADE").setText("x"); }), notEditing);
}

TEST(ClientDataSetFilling, PostWithoutARequiredFieldKeepsTheRowBeingFilled) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    ClientDataSet& ds = t.dataSet("Familias");
    ds.Open();
    ds.Append();
    ds.FieldByName("FAMILIA").setText("ANTIBIOTICOS");
    EXPECT_EQ(failureOf([&] { ds.Post(); }), "Field 'CODIGO' must have a value");
    EXPECT_EQ(ds.State(), DataSetState::Insert);
    EXPECT_EQ(ds.FieldByName("FAMILIA").asText(), "ANTIBIOTICOS");
    EXPECT_EQ(failureOf([&] { ds.Append(); }), "Field 'CODIGO' must have a value") << "the next append posts it again";
    EXPECT_EQ(ds.RecordCount(), 0);
    ds.FieldByName("CODIGO").setText("4");
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.ChangeCount(), 1);
}

TEST(ClientDataSetFilling, AppendPostsAChangedPendingRowAndDropsAnUntouchedOne) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    ClientDataSet& ds = t.dataSet("COMPONEN");
    ds.Open();
    ds.Append();
    EXPECT_EQ(ds.FieldByName("ESTOQUECRITICO").asFloat(), 0.0);
    EXPECT_FALSE(ds.FieldByName("ESTOQUEMAXIMO").isNull());
    EXPECT_TRUE(ds.FieldByName("QDEESTOQUE").isNull());
    ds.Append();  // only the defaults were set: dropped
    EXPECT_EQ(ds.RecordCount(), 0);
    ds.FieldByName("CODIGO").setText("000001");
    ds.Append();
    EXPECT_EQ(ds.RecordCount(), 1);
    ds.Cancel();
    EXPECT_EQ(ds.State(), DataSetState::Browse);
    EXPECT_EQ(ds.FieldByName("CODIGO").asText(), "000001");
    EXPECT_FALSE(ds.FieldByName("CODIGO").isNull()) << "the row posted, no longer the one dropped";
    EXPECT_TRUE(ds.FieldByName("QDEESTOQUE").isNull());
    EXPECT_EQ(ds.ChangeCount(), 1);
}

TEST(ClientDataSetFilling, DecimalsAreRoundedToTheScaleAndRefusedBeyondThePrecision) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    ClientDataSet& ds = t.dataSet("TaxaBar");  // TAXA decimal(15,2)
    ds.Open();
    ds.Append();
    Field& taxa = ds.FieldByName("TAXA");
    struct Case {
        const char* text;
        const char* stored;
    };
    const Case fits[] = {{"1.005", "1.01"}, {"-1.005", "-1.01"}, {"2.344", "2.34"}, {"0.004", "0"},
                         {"9999999999999.99", "9999999999999.99"}, {"12", "12"}};
    for (const Case& c : fits) {
        taxa.setText(c.text);
        EXPECT_EQ(taxa.asText(), c.stored) << c.text;
    }
    EXPECT_EQ(failureOf([&] { taxa.setText("10000000000000"); }),
              "10000000000000 is not a valid value for field 'TAXA'. The allowed range is "
              "-9999999999999.99 to 9999999999999.99");
    EXPECT_EQ(failureOf([&] { taxa.setText("9999999999999.995"); }),
              "9999999999999.995 is not a valid value for field 'TAXA'. The allowed range is "
              "-9999999999999.99 to 9999999999999.99")
        << "rounding up may overflow";
    EXPECT_EQ(taxa.asText(), "12") << "a refused value leaves the previous one";
}

TEST(ClientDataSetGrid, DisplayTextUsesTheFormatsAndTheLocalesSeparator) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    t.exec("insert into COMPONEN (CODIGO, GRUPO, CUSTOUNITUS, QDEESTOQUE, MULTIPLICADOR) values ('1', 'MP', 1.5, 2.125, 0.5)");
    t.exec("insert into FABRIC (CODIGO, PRAZO_PAGAMENTO) values (1, 30)");
    ScopedRegional comma(commaLocale());
    ClientDataSet& comp = t.dataSet("COMPONEN");
    comp.Open();
    auto text = [&](const char* field) { return comp.displayText(0, comp.fieldIndex(field)); };
    EXPECT_EQ(text("CUSTOUNITUS"), "1,50");
    EXPECT_EQ(text("QDEESTOQUE"), "2,1250");
    EXPECT_EQ(text("MULTIPLICADOR"), "0,5") << "no display format: the field's text";
    EXPECT_EQ(text("PRECOUS"), "") << "empty stays empty";
    EXPECT_EQ(text("CODIGO"), "1");
    ClientDataSet& fabric = t.dataSet("Fabric");
    fabric.Open();
    EXPECT_EQ(fabric.displayText(0, fabric.fieldIndex("PRAZO_PAGAMENTO")), "30,00");
    comp.Append();
    comp.FieldByName("CUSTOUNITUS").setText("3,333");
    EXPECT_EQ(comp.displayRowCount(), 2);
    EXPECT_EQ(comp.displayText(1, comp.fieldIndex("CUSTOUNITUS")), "3,33") << "the row being filled shows last";
}

TEST(ClientDataSetGrid, ListenersHearEveryChange) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    ClientDataSet& ds = t.dataSet("TabPoso");
    std::vector<DataSetEvent> heard;
    const int id = ds.subscribe([&](DataSetEvent e) { heard.push_back(e); });
    ds.Open();
    ds.Append();
    ds.FieldByName("CODIGO").setText("1");
    ds.Post();
    (void)ds.ApplyUpdates(-1);
    ds.Refresh();
    ds.Close();
    ds.unsubscribe(id);
    ds.Open();
    EXPECT_EQ(heard, (std::vector<DataSetEvent>{DataSetEvent::Opened, DataSetEvent::EditStarted, DataSetEvent::RowsChanged,
                                                DataSetEvent::RowsChanged, DataSetEvent::Refreshed, DataSetEvent::Closed}));
}

TEST(ClientDataSetFilling, AccentedTextTravelsInCodePage1252) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    const std::string text = utf8ToWin1252("Pó para solução à base d'água");
    ClientDataSet& ds = t.dataSet("TabPoso");
    ds.Open();
    ds.Append();
    ds.FieldByName("CODIGO").setText("A1");
    ds.FieldByName("POSOLOGIA").setText(text);
    ASSERT_EQ(ds.ApplyUpdates(-1), 0);
    ds.Refresh();
    EXPECT_EQ(ds.FieldByName("POSOLOGIA").asText(), text);
    EXPECT_EQ(t.column("select POSOLOGIA from TABPOSO"), std::vector<std::string>{text});
}

}  // namespace
}  // namespace mig
