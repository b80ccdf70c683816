// The cache of changes and its apply, against a real embedded database.
#include <gtest/gtest.h>

#include "target/dataset/ClientDataSet.h"
#include "target/dataset/DataSetProvider.h"
#include "target/field/Errors.h"
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

void appendForm(ClientDataSet& ds, const char* form) {
    ds.Append();
    ds.FieldByName("FORMAFARMA").setText(form);
    ds.FieldByName("VALIDADE").setText("30 dias");
    ds.Post();
}

std::vector<std::string> forms(TargetDb& t) { return t.column("select FORMAFARMA from FORMAFAR order by 1"); }

TEST(ApplyUpdates, AnEmptyCacheSendsNothing) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    DataSetChain& chain = t.chain("FormaFar");
    chain.dataSet.Open();
    EXPECT_EQ(chain.dataSet.ApplyUpdates(-1), 0);
    EXPECT_FALSE(t.connection.InTransaction());
    EXPECT_EQ(chain.provider.statementsPrepared(), 0);
}

TEST(ApplyUpdates, RefusedRowsStayCachedWithTheServersMessageAndAreSentAgainAlone) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    t.exec("insert into FORMAFAR (FORMAFARMA) values ('CAPSULA')");
    ClientDataSet& ds = t.dataSet("FormaFar");
    ds.Open();
    for (const char* f : {"CREME", "CAPSULA", "XAROPE"}) appendForm(ds, f);

    EXPECT_EQ(ds.ApplyUpdates(-1), 1);
    EXPECT_EQ(forms(t), (std::vector<std::string>{"CAPSULA", "CREME", "XAROPE"}));
    EXPECT_EQ(ds.RecordCount(), 4) << "cached new rows count whether or not the server took them";
    ASSERT_EQ(ds.ChangeCount(), 1);
    EXPECT_EQ(ds.changeStatus(0), ChangeStatus::Inserted);
    EXPECT_EQ(ds.changeText(0, 0), "CAPSULA");
    EXPECT_NE(ds.changeError(0).find("PRIMARY or UNIQUE KEY"), std::string::npos) << ds.changeError(0);
    EXPECT_FALSE(t.connection.InTransaction());

    EXPECT_EQ(failureOf([&] { ds.Refresh(); }), "FormaFar: Must apply updates before refreshing data");
    EXPECT_EQ(ds.RecordCount(), 4);

    // Were the stored rows sent again, the one deleted meanwhile would come back.
    t.exec("delete from FORMAFAR where FORMAFARMA = 'CREME'");
    EXPECT_EQ(ds.ApplyUpdates(-1), 1);
    EXPECT_EQ(forms(t), (std::vector<std::string>{"CAPSULA", "XAROPE"}));

    ds.Close();
    ds.Open();
    EXPECT_EQ(ds.ChangeCount(), 0);
    EXPECT_EQ(ds.RecordCount(), 2);
}

TEST(ApplyUpdates, ARowNeverGivenAValueLeavesTheFieldToTheServersDefault) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    t.exec("alter table TABPOSO alter column POSOLOGIA set default 'conforme receita'");
    ClientDataSet& ds = t.dataSet("TabPoso");
    ds.Open();
    ds.Append();
    ds.FieldByName("CODIGO").setText("1");
    ds.Append();
    ds.FieldByName("CODIGO").setText("2");
    ds.FieldByName("POSOLOGIA").clear();  // an explicit null is listed
    ds.Append();
    ds.FieldByName("CODIGO").setText("3");
    ds.FieldByName("POSOLOGIA").setText("");  // the empty text is kept as such
    ds.Post();
    ASSERT_EQ(ds.ApplyUpdates(-1), 0);
    EXPECT_EQ(t.column("select coalesce(POSOLOGIA, '<null>') || '|' from TABPOSO order by CODIGO"),
              (std::vector<std::string>{"conforme receita|", "<null>|", "|"}));
}

TEST(ApplyUpdates, ARawMaterialThatSetsNoStockReachesTheServerWithZeroes) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    ClientDataSet& ds = t.dataSet("COMPONEN");
    ds.Open();
    ds.Append();
    ds.FieldByName("CODIGO").setText("000001");
    ds.FieldByName("GRUPO").setText("MP");
    ASSERT_EQ(ds.ApplyUpdates(-1), 0);
    EXPECT_EQ(t.column("select CODIGO from COMPONEN where ESTOQUECRITICO = 0 and ESTOQUEMAXIMO = 0 and QDEESTOQUE is null"),
              std::vector<std::string>{"000001"});
    ds.Refresh();
    EXPECT_EQ(ds.RecordCount(), 1);
}

TEST(ApplyUpdates, RowsOfAnotherGroupAreStoredButNotReadBack) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    ClientDataSet& ds = t.dataSet("Capsulas");
    ds.Open();
    const std::pair<const char*, const char*> rows[] = {{"000010", "CAP"}, {"000011", "VEI"}};
    for (const auto& [code, group] : rows) {
        ds.Append();
        ds.FieldByName("CODIGO").setText(code);
        ds.FieldByName("GRUPO").setText(group);
    }
    ASSERT_EQ(ds.ApplyUpdates(-1), 0);
    ds.Refresh();
    EXPECT_EQ(ds.RecordCount(), 1);
    EXPECT_EQ(ds.FieldByName("CODIGO").asText(), "000010");
    EXPECT_EQ(t.count("COMPONEN"), 2);
}

TEST(ApplyUpdates, DeletionsWithoutKeyFieldsAreRefusedAndStayCached) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    t.exec("insert into FORNECED (CODIGO, NOMEFANTASIA) values ('0001', 'ACME')");
    t.exec("insert into MEDICOS (CRM, ESPECIALIDADE) values ('123', 'CLINICO')");
    for (const char* name : {"Fornecedor", "MEDICOS"}) {
        ClientDataSet& ds = t.dataSet(name);
        ds.Open();
        ds.Delete();
        EXPECT_EQ(ds.RecordCount(), 0);
        EXPECT_EQ(ds.ApplyUpdates(-1), 1) << name;
        ASSERT_EQ(ds.ChangeCount(), 1);
        EXPECT_EQ(ds.changeStatus(0), ChangeStatus::Deleted);
        EXPECT_EQ(ds.changeError(0), "Unable to find record.  No key specified");
    }
    EXPECT_EQ(t.count("FORNECED"), 1);
    EXPECT_EQ(t.count("MEDICOS"), 1);
}

TEST(ApplyUpdates, EditsAndDeletionsFindTheirRowByTheKey) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    for (const char* b : {"CENTRO", "FAROL", "PRAIA"})
        t.exec(std::string("insert into TAXABAIRRO (BAIRRO, TAXA) values ('") + b + "', 1)");
    ClientDataSet& ds = t.dataSet("TaxaBar");
    ds.Open();
    ds.Edit();
    ds.FieldByName("TAXA").setText("2.5");
    ds.Post();
    ds.Next();
    ds.Delete();
    ASSERT_EQ(ds.ChangeCount(), 2);
    EXPECT_EQ(ds.change(0).status, ChangeStatus::Modified);
    EXPECT_EQ(ds.ApplyUpdates(-1), 0);
    EXPECT_EQ(t.column("select BAIRRO || '=' || TAXA from TAXABAIRRO order by 1"),
              (std::vector<std::string>{"CENTRO=2.50", "PRAIA=1.00"}));

    // A row the server no longer holds.
    t.exec("delete from TAXABAIRRO where BAIRRO = 'PRAIA'");
    ds.Last();
    ds.Edit();
    ds.FieldByName("TAXA").setText("3");
    ds.Post();
    EXPECT_EQ(ds.ApplyUpdates(-1), 1);
    EXPECT_EQ(ds.changeError(0), "Record not found or changed by another user");
}

TEST(ApplyUpdates, AChangeThatHitsSeveralRowsUndoesTheWholeApply) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    t.exec("drop table TAXABAIRRO");
    t.exec("create table TAXABAIRRO (BAIRRO varchar(40), TAXA numeric(15,2))");
    t.exec("insert into TAXABAIRRO values ('CENTRO', 1)");
    t.exec("insert into TAXABAIRRO values ('CENTRO', 2)");
    ClientDataSet& ds = t.dataSet("TaxaBar");
    ds.Open();
    ds.Append();
    ds.FieldByName("BAIRRO").setText("NOVO");
    ds.Post();
    ds.First();
    ds.Edit();
    ds.FieldByName("TAXA").setText("9");
    ds.Post();

    // One change was refused; the rollback keeps the other one cached too.
    EXPECT_EQ(ds.ApplyUpdates(-1), 1);
    ASSERT_EQ(ds.ChangeCount(), 2);
    EXPECT_EQ(ds.changeError(0), "");
    EXPECT_EQ(ds.changeError(1), "Update affected more than 1 record.");
    EXPECT_EQ(t.column("select BAIRRO || '=' || TAXA from TAXABAIRRO order by 1"),
              (std::vector<std::string>{"CENTRO=1.00", "CENTRO=2.00"}));
    EXPECT_FALSE(t.connection.InTransaction());
}

TEST(ApplyUpdates, TheErrorLimitDecidesBetweenCommitAndRollback) {
    MIG_REQUIRE_CLIENT();
    struct Case {
        int limit;
        int returned;
        std::vector<std::string> stored;
        int cached;
    };
    // Four changes, the second and the fourth refused. The count returned is the refused one,
    // also when the transaction was rolled back and every change stays cached.
    const Case cases[] = {
        {-1, 2, {"A", "C", "DUP", "DUP2"}, 2},
        {2, 2, {"A", "C", "DUP", "DUP2"}, 2},
        {1, 2, {"DUP", "DUP2"}, 4},  // the fourth change exceeds the limit
        {0, 1, {"DUP", "DUP2"}, 4},  // the walk stops at the second change
    };
    for (const Case& c : cases) {
        TargetDb t;
        t.exec("insert into FORMAFAR (FORMAFARMA) values ('DUP')");
        t.exec("insert into FORMAFAR (FORMAFARMA) values ('DUP2')");
        ClientDataSet& ds = t.dataSet("FormaFar");
        ds.Open();
        for (const char* f : {"A", "DUP", "C", "DUP2"}) appendForm(ds, f);
        EXPECT_EQ(ds.ApplyUpdates(c.limit), c.returned) << c.limit;
        EXPECT_EQ(forms(t), c.stored) << c.limit;
        EXPECT_EQ(ds.ChangeCount(), c.cached) << c.limit;
    }
}

// The program's end requested while the rows go to the server: the apply stops before the next
// row and nothing of it is stored; the rows stay cached.
TEST(ApplyUpdates, AnInterruptStopsTheApplyBetweenRowsAndStoresNothing) {
    MIG_REQUIRE_CLIENT();
    static int rowsBeforeTheInterrupt;
    rowsBeforeTheInterrupt = 2;
    TargetDb t;
    ClientDataSet& ds = t.dataSet("FormaFar");
    ds.Open();
    for (const char* f : {"CREME", "GEL", "POMADA", "XAROPE"}) appendForm(ds, f);
    setApplyInterruptCheck([] { return rowsBeforeTheInterrupt-- <= 0; });
    const std::string failure = failureOf([&] { ds.ApplyUpdates(-1); });
    setApplyInterruptCheck(nullptr);
    EXPECT_EQ(failure, "The apply was interrupted; nothing was stored");
    EXPECT_TRUE(forms(t).empty());
    EXPECT_EQ(ds.ChangeCount(), 4);
    EXPECT_FALSE(t.connection.InTransaction());
    // Without the interrupt the same rows go through.
    EXPECT_EQ(ds.ApplyUpdates(-1), 0);
    EXPECT_EQ(forms(t), (std::vector<std::string>{"CREME", "GEL", "POMADA", "XAROPE"}));
}

TEST(ApplyUpdates, OneInsertIsPreparedPerListOfFields) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    DataSetChain& chain = t.chain("FormaFar");
    ClientDataSet& ds = chain.dataSet;
    ds.Open();
    for (const char* f : {"A", "B", "C"}) appendForm(ds, f);
    ds.Append();
    ds.FieldByName("FORMAFARMA").setText("D");
    ds.Post();
    EXPECT_EQ(ds.ApplyUpdates(-1), 0);
    EXPECT_EQ(chain.provider.statementsPrepared(), 2);
    appendForm(ds, "E");
    EXPECT_EQ(ds.ApplyUpdates(-1), 0);
    EXPECT_EQ(chain.provider.statementsPrepared(), 2) << "kept from the last apply";
    EXPECT_EQ(t.count("FORMAFAR"), 5);
}

TEST(ApplyUpdates, APendingRowThatCannotBePostedFailsTheApplyBeforeAnythingIsSent) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    ClientDataSet& ds = t.dataSet("Familias");
    ds.Open();
    ds.Append();
    ds.FieldByName("CODIGO").setText("1");
    ds.Append();
    ds.FieldByName("FAMILIA").setText("SEM CODIGO");
    EXPECT_EQ(failureOf([&] { (void)ds.ApplyUpdates(-1); }), "Field 'CODIGO' must have a value");
    EXPECT_EQ(t.count("FAMILIAS"), 0);
    EXPECT_FALSE(t.connection.InTransaction());
}

TEST(ApplyUpdates, AServerThatRefusesALongTextKeepsTheRowWithItsReason) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    ClientDataSet& ds = t.dataSet("Fabric");  // NOME holds 60 here, 40 on the server
    ds.Open();
    ds.Append();
    ds.FieldByName("CODIGO").setText("1");
    ds.FieldByName("NOME").setText(std::string(50, 'N'));
    EXPECT_EQ(ds.FieldByName("NOME").asText().size(), 50u);
    EXPECT_EQ(ds.ApplyUpdates(-1), 1);
    EXPECT_FALSE(ds.changeError(0).empty());
    EXPECT_EQ(t.count("FABRIC"), 0);
}

TEST(ApplyUpdates, ANewRowEditedBeforeTheApplyIsStillOneInsert) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    ClientDataSet& ds = t.dataSet("TaxaBar");
    ds.Open();
    ds.Append();
    ds.FieldByName("BAIRRO").setText("CENTRO");
    ds.Post();
    ds.Edit();
    ds.FieldByName("TAXA").setText("4");
    ds.Post();
    ASSERT_EQ(ds.ChangeCount(), 1);
    EXPECT_EQ(ds.changeStatus(0), ChangeStatus::Inserted);
    EXPECT_EQ(ds.ApplyUpdates(-1), 0);
    EXPECT_EQ(t.column("select BAIRRO || '=' || TAXA from TAXABAIRRO"), std::vector<std::string>{"CENTRO=4.00"});
}

}  // namespace
}  // namespace mig
