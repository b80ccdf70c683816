// SQL generation of the apply, as whole strings (CR LF line ends included).
#include "target/dataset/Resolver.h"

#include <gtest/gtest.h>

#include "target/dataset/ChainDef.h"
#include "target/field/Errors.h"

namespace mig {
namespace {

FieldMask mask(std::initializer_list<int> bits) {
    FieldMask m;
    for (int b : bits) m.set(static_cast<std::size_t>(b));
    return m;
}

TEST(TableNameFromSelect, EveryChainYieldsItsTable) {
    const std::map<std::string_view, std::string> expected{
        {"FormaFar", "FORMAFAR"},   {"Fornecedor", "FORNECED"}, {"Familias", "FAMILIAS"},
        {"CLIENTES", "CLIENTES"},   {"MEDICOS", "MEDICOS"},     {"Fabric", "FABRIC"},
        {"TaxaBar", "TAXABAIRRO"},  {"TabPoso", "TABPOSO"},     {"COMPONEN", "COMPONEN"},
        {"Capsulas", "COMPONEN"},   {"Veiculos", "COMPONEN"},   {"Embalagens", "COMPONEN"}};
    ASSERT_EQ(chainDefs().size(), expected.size());
    for (const ChainDef& chain : chainDefs())
        EXPECT_EQ(tableNameFromSelect(chain.select), expected.at(chain.clientDataSet)) << chain.clientDataSet;
}

TEST(TableNameFromSelect, Cases) {
    struct Case {
        const char* select;
        std::optional<std::string> table;
    };
    const Case cases[] = {
        {"select A from T where X = 1", "T"},
        {"SELECT A FROM t ORDER BY A", "t"},
        {"select A\r\nfrom\r\n  T", "T"},
        {"select A from OWNER.T where X = 1", "OWNER.T"},
        {"select A from \"Mixed Case\" where X = 1", "\"Mixed Case\""},
        {"select 'from X' as A from T", "T"},
        {"select A as \"FROM\" from T", "T"},
        {"select (select max(B) from U) as M from T", "T"},
        {"select A /* from X */ from T", "T"},
        {"select FROMAGE, DATAFROM from T", "T"},
        {"select 1 from rdb$database", "rdb$database"},
        {"select A from (select A from T)", std::nullopt},
        {"select 1", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(tableNameFromSelect(c.select), c.table) << c.select;
}

TEST(QuoteTableName, Cases) {
    struct Case {
        const char* name;
        char quote;
        const char* quoted;
    };
    const Case cases[] = {
        {"TAXABAIRRO", '"', "\"TAXABAIRRO\""},
        {"OWNER.T", '"', "\"OWNER\".\"T\""},
        {"\"Mixed Case\"", '"', "\"Mixed Case\""},
        {"'T'", '"', "'T'"},
        {"`T`", '"', "`T`"},
        {"T\"", '"', "T\""},
        {"TAXABAIRRO", '\0', "TAXABAIRRO"},
        {"OWNER.T", '`', "`OWNER`.`T`"},
    };
    for (const Case& c : cases) EXPECT_EQ(quoteTableName(c.name, c.quote), c.quoted) << c.name;
}

TEST(Resolver, InsertOfTheDeliveryDistrictExample) {
    const Resolver r("select BAIRRO, TAXA from TAXABAIRRO order by BAIRRO", {{"BAIRRO", true}, {"TAXA"}}, '"');
    EXPECT_EQ(r.insertSql(mask({0, 1})),
              "insert into \"TAXABAIRRO\"\r\n"
              "  (\"BAIRRO\", \"TAXA\")\r\n"
              "values\r\n"
              "  (?, ?)\r\n");
}

TEST(Resolver, InsertListsOnlyTheGivenFieldsInFieldOrder) {
    const Resolver r("select A, B, C, D from T", {{"A", true}, {"B"}, {"C"}, {"D"}}, '"');
    EXPECT_EQ(r.insertSql(mask({3, 0})), "insert into \"T\"\r\n  (\"A\", \"D\")\r\nvalues\r\n  (?, ?)\r\n");
    const Resolver bare("select A, B from T", {{"A"}, {"B"}}, '\0');
    EXPECT_EQ(bare.insertSql(mask({1})), "insert into T\r\n  (B)\r\nvalues\r\n  (?)\r\n");
}

TEST(Resolver, UpdateAndDeleteUseTheKeyFieldsAlone) {
    const Resolver r("select ESTACAO, CODIGO, NOME, FONE from CLIENTES",
                     {{"ESTACAO", true}, {"CODIGO", true}, {"NOME"}, {"FONE"}}, '"');
    EXPECT_EQ(r.updateSql(mask({2, 3}), {}),
              "update \"CLIENTES\"  set\r\n"
              " \"NOME\" = ?,\r\n"
              " \"FONE\" = ?\r\n"
              "where\r\n"
              " \"ESTACAO\" = ? and\r\n"
              " \"CODIGO\" = ?\r\n");
    EXPECT_EQ(r.deleteSql({}),
              "delete from \"CLIENTES\" \r\n"
              "where\r\n"
              " \"ESTACAO\" = ? and\r\n"
              " \"CODIGO\" = ?\r\n");
}

TEST(Resolver, AKeyReadAsNullIsMatchedWithIsNull) {
    const Resolver r("select A, B, C from T", {{"A", true}, {"B", true}, {"C"}}, '"');
    EXPECT_EQ(r.deleteSql(mask({0})), "delete from \"T\" \r\nwhere\r\n \"A\" is null and\r\n \"B\" = ?\r\n");
    EXPECT_EQ(r.deleteSql(mask({1})), "delete from \"T\" \r\nwhere\r\n \"A\" = ? and\r\n \"B\" is null\r\n");
    EXPECT_EQ(r.updateSql(mask({2}), mask({0, 1})),
              "update \"T\"  set\r\n \"C\" = ?\r\nwhere\r\n \"A\" is null and\r\n \"B\" is null\r\n");
}

TEST(Resolver, BlobKeysNeverTakePart) {
    const Resolver r("select A, B from T", {{"A", true, true}, {"B", true}}, '"');
    ASSERT_EQ(r.whereFields(), std::vector<int>{1});
    EXPECT_EQ(r.deleteSql({}), "delete from \"T\" \r\nwhere\r\n \"B\" = ?\r\n");
}

TEST(Resolver, WithoutAKeyUpdateAndDeleteFail) {
    const Resolver r("select CODIGO, NOME from FORNECED order by NOMEFANTASIA", {{"CODIGO"}, {"NOME"}}, '"');
    try {
        (void)r.deleteSql({});
        FAIL() << "no failure";
    } catch (const DataError& e) {
        EXPECT_STREQ(e.what(), "Unable to find record.  No key specified");
    }
    EXPECT_THROW((void)r.updateSql(mask({1}), {}), DataError);
    EXPECT_NO_THROW((void)r.insertSql(mask({0})));
}

TEST(Resolver, WithoutATableNameEveryStatementFails) {
    const Resolver r("select A from (select 1 as A from T)", {{"A", true}}, '"');
    EXPECT_FALSE(r.hasTable());
    for (int kind = 0; kind < 3; ++kind) {
        try {
            if (kind == 0) (void)r.insertSql(mask({0}));
            if (kind == 1) (void)r.updateSql(mask({0}), {});
            if (kind == 2) (void)r.deleteSql({});
            FAIL() << "no failure for statement " << kind;
        } catch (const DataError& e) {
            EXPECT_STREQ(e.what(), "Unable to resolve records.  Table name not found.");
        }
    }
}

}  // namespace
}  // namespace mig
