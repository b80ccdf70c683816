// The free query of the data module.
#include "target/dataset/SQLQuery.h"

#include <gtest/gtest.h>

#include "target/field/Errors.h"
#include "tests/support/TargetDb.h"

namespace mig {
namespace {

using test::TargetDb;

TEST(SQLQuery, ReadsTheGreatestCodeOfTheComponents) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    for (const char* code : {"000007", "000012", "000003"})
        t.exec(std::string("insert into COMPONEN (CODIGO, GRUPO) values ('") + code + "', 'CAP')");
    SQLQuery q("SQLQuery1", t.connection);
    q.Close();
    q.setSQL("Select Max(CODIGO) as MaiorCodigo from componen");
    q.Open();
    EXPECT_TRUE(q.Active());
    EXPECT_EQ(q.FieldByName("MaiorCodigo").asInteger(), 12);
    q.Next();
    EXPECT_TRUE(q.Eof());
    q.Close();
    EXPECT_FALSE(q.Active());
    EXPECT_FALSE(t.connection.InTransaction());
}

TEST(SQLQuery, WalksEveryRowAndReadsBlobsWhole) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    const std::string sheet(100'000, 'f');
    t.exec("insert into COMPONEN (CODIGO, FICHATECNICA) values ('1', null)");
    {
        auto att = t.db.attach();
        auto tx = att->startTransaction();
        auto st = att->prepare(*tx, "insert into COMPONEN (CODIGO, FICHATECNICA) values ('2', ?)");
        const Value v[] = {sheet};
        st->execute(*tx, v);
        tx->commit();
    }
    SQLQuery q("SQLQuery1", t.connection);
    q.setSQL("select CODIGO, FICHATECNICA from COMPONEN order by CODIGO");
    q.Open();
    std::vector<std::size_t> sizes;
    for (; !q.Eof(); q.Next()) sizes.push_back(q.FieldByName("fichatecnica").asText().size());
    EXPECT_EQ(sizes, (std::vector<std::size_t>{0, 100'000}));
    EXPECT_EQ(q.FieldCount(), 2);
    EXPECT_THROW(q.FieldByName("CODIGO").setText("x"), DataError);
}

TEST(SQLQuery, AStatementTheServerRefusesLeavesTheQueryClosed) {
    MIG_REQUIRE_CLIENT();
    TargetDb t;
    SQLQuery q("SQLQuery1", t.connection);
    q.setSQL("select NADA from COMPONEN");
    EXPECT_THROW(q.Open(), DataError);
    EXPECT_FALSE(q.Active());
    try {
        q.FieldByName("NADA");
        FAIL();
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "SQLQuery1: Field 'NADA' not found");
    }
}

}  // namespace
}  // namespace mig
