// The driver on an embedded database: where a database value leads, parameters of every type
// the datasets use going in and coming back, refused values, blobs, nulls and misuse.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "target/db/Attachment.h"
#include "target/db/DatabaseLocation.h"
#include "target/field/DecimalArithmetic.h"
#include "target/field/Win1252.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/SqlScript.h"
#include "tests/support/TestDatabase.h"

namespace mig::test {
namespace {

using db::DbError;

TEST(DatabaseLocation, ServerPartGoesToTheServerUnchanged) {
#ifdef _WIN32
    // Windows opens the path as it is written.
    const auto mapped = [](const std::string& windowsPath) { return windowsPath; };
#else
    TempFolder drive;
    ScopedEnv env("KORVELAN_DRIVE_C", drive.path());
    const auto mapped = [&](const std::string&) { return drive.path() + "/korvelan/dados/korvelan.bd"; };
#endif
    struct Case {
        std::string database;
        bool embedded;
        std::string path;
    };
    const std::vector<Case> cases = {
        {"127.0.0.1:C:\\korvelan\\dados\\korvelan.bd", false, "127.0.0.1:C:\\korvelan\\dados\\korvelan.bd"},
        {"127.0.0.1/3051:C:\\korvelan\\dados\\korvelan.bd", false,
         "127.0.0.1/3051:C:\\korvelan\\dados\\korvelan.bd"},
        {"server:/var/lib/firebird/data/x.fdb", false, "server:/var/lib/firebird/data/x.fdb"},
        {":C:\\korvelan\\dados\\korvelan.bd", true, mapped("C:\\korvelan\\dados\\korvelan.bd")},
        {"C:\\korvelan\\dados\\korvelan.bd", true, mapped("C:\\korvelan\\dados\\korvelan.bd")},
        {"c:/korvelan/dados/korvelan.bd", true, mapped("c:/korvelan/dados/korvelan.bd")},
        {"/tmp/x.fdb", true, "/tmp/x.fdb"},
        {":/tmp/x.fdb", true, "/tmp/x.fdb"},
    };
    for (const Case& k : cases) {
        const db::DatabaseLocation loc = db::locateDatabase(k.database);
        EXPECT_EQ(loc.embedded, k.embedded) << k.database;
        EXPECT_EQ(loc.path, k.path) << k.database;
    }
}

class Driver : public ::testing::Test {
protected:
    TestDatabase db;
    std::unique_ptr<db::Attachment> att = db.attach();

    // Runs `sql` with `params` in a committed transaction of its own.
    std::uint64_t exec(const std::string& sql, std::vector<Value> params = {}) {
        auto tx = att->startTransaction();
        std::uint64_t n = 0;
        {
            auto st = att->prepare(*tx, sql);
            n = st->execute(*tx, params);
        }
        tx->commit();
        return n;
    }

    // The one row of `sql`: each column as value() gives it.
    std::vector<Value> row(const std::string& sql, std::vector<Value> params = {}) {
        auto tx = att->startTransaction();
        auto st = att->prepare(*tx, sql);
        st->open(*tx, params);
        std::vector<Value> out;
        if (!st->fetch()) {
            ADD_FAILURE() << "no row: " << sql;
            return out;
        }
        for (int i = 0; i < static_cast<int>(st->columns().size()); ++i) out.push_back(st->value(i));
        EXPECT_FALSE(st->fetch()) << "more than one row: " << sql;
        return out;
    }

    std::int64_t count(const std::string& table) {
        return std::get<Decimal>(row("select count(*) from " + table)[0]).unscaled;
    }
};

// NUMERIC(15,2) and NUMERIC(15,8) travel as scaled 64-bit integers; more decimals than the
// scale are rounded half away from zero.
TEST_F(Driver, NumericRoundTrips) {
    struct Case {
        const char* name;
        Value in;
        int scale;             // 2: TAXABAIRRO.TAXA, 8: FAMILIAS.MARGEM
        std::int64_t stored;   // unscaled at that scale
        const char* asText;    // the server's own reading of the value
    };
    const std::vector<Case> cases = {
        {"decimal", Decimal{350, 2, 3}, 2, 350, "3.50"},
        {"fewer decimals", Decimal{35, 1, 2}, 2, 350, "3.50"},
        {"half up", Decimal{12345, 3, 5}, 2, 1235, "12.35"},
        {"half away from zero", Decimal{-12345, 3, 5}, 2, -1235, "-12.35"},
        {"below half", Decimal{12344, 3, 5}, 2, 1234, "12.34"},
        {"integer", std::int32_t{7}, 2, 700, "7.00"},
        {"float as written", 1.005, 2, 101, "1.01"},
        {"negative float", -2.675, 2, -268, "-2.68"},
        {"largest of 15 digits", Decimal{999999999999999, 2, 15}, 2, 999999999999999, "9999999999999.99"},
        {"eight decimals", Decimal{123456789, 8, 9}, 8, 123456789, "1.23456789"},
        {"ninth decimal rounds", Decimal{1234567895, 9, 10}, 8, 123456790, "1.23456790"},
        {"tiny float", 0.000000004, 8, 0, "0.00000000"},
        {"tiny float rounds up", 0.000000005, 8, 1, "0.00000001"},
        {"largest of (15,8)", Decimal{999999999999999, 8, 15}, 8, 999999999999999, "9999999.99999999"},
    };
    int key = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ++key;
        const bool two = k.scale == 2;
        const std::string table = two ? "TAXABAIRRO" : "FAMILIAS";
        const std::string keyColumn = two ? "BAIRRO" : "CODIGO";
        const std::string column = two ? "TAXA" : "MARGEM";
        const Value keyValue = two ? Value{std::to_string(key)} : Value{std::int32_t{key}};
        auto tx = att->startTransaction();
        auto ins = att->prepare(*tx, "insert into " + table + " (" + keyColumn + ", " + column + ") values (?, ?)");
        ASSERT_EQ(ins->parameters()[1].type, db::SqlType::BigInt);
        ASSERT_EQ(ins->parameters()[1].scale, k.scale);
        ins->setParameterPrecision(1, 15);
        ins->execute(*tx, std::vector<Value>{keyValue, k.in});
        tx->commit();
        const auto r = row("select " + column + ", cast(" + column + " as varchar(30)) from " + table +
                           " where " + keyColumn + " = ?",
                           {keyValue});
        ASSERT_EQ(r.size(), 2u);
        const auto& d = std::get<Decimal>(r[0]);
        EXPECT_EQ(d.unscaled, k.stored);
        EXPECT_EQ(d.scale, k.scale);
        EXPECT_EQ(std::get<std::string>(r[1]), k.asText);
    }
}

TEST_F(Driver, NumericValuesThatDoNotFitAreRefused) {
    struct Case {
        const char* name;
        Value in;
        int precision;  // declared by the caller; 0 leaves the storage's 18
        const char* message;
    };
    const std::vector<Case> cases = {
        // Before any precision is declared the storage's 18 digits bound the value.
        {"17 integer digits without a declared precision", Decimal{10000000000000000, 0, 17}, 0,
         "more than 16 digits"},
        {"beyond 64 bits", Decimal{std::numeric_limits<std::int64_t>::max(), 0, 19}, 0, "out of range"},
        {"14 integer digits in (15,2)", Decimal{10000000000000, 0, 14}, 15, "more than 13 digits"},
        {"rounding adds a digit", Decimal{9999999999999995, 3, 16}, 15, "more than 13 digits"},
        {"not a number", std::nan(""), 15, "out of range"},
        {"text", std::string("1.5"), 15, "a text value cannot be given to a BIGINT parameter"},
        {"date", Date{1}, 15, "a date value cannot be given to a BIGINT parameter"},
    };
    auto tx = att->startTransaction();
    auto ins = att->prepare(*tx, "insert into TAXABAIRRO (BAIRRO, TAXA) values ('X', ?)");
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        if (k.precision) ins->setParameterPrecision(0, k.precision);
        try {
            ins->execute(*tx, std::vector<Value>{k.in});
            ADD_FAILURE() << "accepted";
        } catch (const DbError& e) {
            EXPECT_NE(std::string(e.what()).find(k.message), std::string::npos) << e.what();
        }
    }
    tx->commit();
    EXPECT_EQ(count("TAXABAIRRO"), 0);

    // INTEGER and its range.
    auto tx2 = att->startTransaction();
    auto ins2 = att->prepare(*tx2, "insert into FAMILIAS (CODIGO) values (?)");
    EXPECT_THROW(ins2->execute(*tx2, std::vector<Value>{Decimal{2147483648, 0, 10}}), DbError);
    EXPECT_EQ(ins2->execute(*tx2, std::vector<Value>{Decimal{-2147483648, 0, 10}}), 1u);
    EXPECT_EQ(ins2->execute(*tx2, std::vector<Value>{std::int32_t{2147483647}}), 1u);
    EXPECT_EQ(ins2->execute(*tx2, std::vector<Value>{2.5}), 1u);  // 3
    tx2->commit();
    auto tx3 = att->startTransaction();
    auto sel = att->prepare(*tx3, "select CODIGO from FAMILIAS order by CODIGO");
    sel->open(*tx3);
    std::vector<Value> got;
    while (sel->fetch()) got.push_back(sel->value(0));
    EXPECT_EQ(got, (std::vector<Value>{std::int32_t{-2147483647 - 1}, std::int32_t{3}, std::int32_t{2147483647}}));
}

// A decimal given to a DOUBLE PRECISION parameter, and a scaled numeric read as a float, become
// the double of the field layer's decimal arithmetic: correctly rounded also beyond the 15 digits
// a double keeps exactly (a division of the unscaled value as a double rounds it first).
TEST_F(Driver, DecimalsBecomeTheDoublesOfTheFieldLayer) {
    const Decimal wide{-123456789012345679, 3, 18};
    exec("insert into COMPONEN (CODIGO, GRUPO, QDEESTOQUE) values ('X', 'MP', ?)", {wide});
    const auto stored = row("select QDEESTOQUE from COMPONEN where CODIGO = 'X'");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(std::get<double>(stored[0]), decimalToDouble(wide));
    EXPECT_EQ(std::get<double>(stored[0]), -123456789012345.679);

    auto tx = att->startTransaction();
    auto st = att->prepare(*tx, "select cast(-123456789012345.679 as numeric(18,3)) from rdb$database");
    st->open(*tx);
    ASSERT_TRUE(st->fetch());
    EXPECT_EQ(st->floating(0), decimalToDouble(wide));
}

// A text longer than its parameter is refused before anything is written past the parameter's
// place in the message; one that fits is stored whole.
TEST_F(Driver, TextLongerThanItsParameterIsRefused) {
    auto tx = att->startTransaction();
    auto ins = att->prepare(*tx, "insert into TAXABAIRRO (BAIRRO, TAXA) values (?, ?)");
    ASSERT_EQ(ins->parameters()[0].type, db::SqlType::VarChar);
    ASSERT_EQ(ins->parameters()[0].length, 40);
    const std::string fits(40, 'a');
    const std::string tooLong = fits + "b";
    try {
        ins->execute(*tx, std::vector<Value>{tooLong, Decimal{1, 0, 1}});
        ADD_FAILURE() << "a text of 41 characters went into VARCHAR(40)";
    } catch (const DbError& e) {
        EXPECT_STREQ(e.what(),
                     "Parameter 1: string right truncation: the text has 41 characters, the parameter "
                     "takes at most 40");
    }
    // The value after it is untouched by the refusal and the statement still works.
    EXPECT_EQ(ins->execute(*tx, std::vector<Value>{fits, Decimal{1, 0, 1}}), 1u);
    EXPECT_EQ(ins->execute(*tx, std::vector<Value>{std::string(), Decimal{2, 0, 1}}), 1u);
    tx->commit();
    EXPECT_EQ(row("select TAXA from TAXABAIRRO where BAIRRO = ?", {fits})[0], (Value{Decimal{100, 2, 3}}));
    EXPECT_EQ(row("select TAXA from TAXABAIRRO where BAIRRO = ''")[0], (Value{Decimal{200, 2, 3}}));

    // CHAR parameters are padded with blanks and read back with them.
    EXPECT_EQ(row("select cast(? as char(5)) from RDB$DATABASE", {std::string("ab")})[0], Value{std::string("ab   ")});
    EXPECT_THROW(row("select cast(? as char(5)) from RDB$DATABASE", {std::string("abcdef")}), DbError);
    // An integer given to a text parameter is written in digits.
    EXPECT_EQ(row("select cast(? as varchar(12)) from RDB$DATABASE", {std::int32_t{-42}})[0], Value{std::string("-42")});
}

TEST_F(Driver, DatesAndTimestamps) {
    struct Case {
        const char* name;
        Value in;
        bool timestamp;      // CLIENTES.DATAULTIMALTERACAO, else CLIENTES.DATAANIVERSARIO
        const char* asText;  // the server's reading
        Value back;
    };
    const std::vector<Case> cases = {
        {"day zero", Date{0}, false, "1899-12-30", Date{0}},
        {"new year", Date{45658}, false, "2025-01-01", Date{45658}},
        {"first day of year 1", Date{-693593}, false, "0001-01-01", Date{-693593}},
        {"date of a date-time", DateTime{45658.75}, false, "2025-01-01", Date{45658}},
        {"date of a timestamp", Timestamp{2024, 2, 29, 13, 0, 0, 0}, false, "2024-02-29", Date{45351}},
        {"leap second-to-last", Timestamp{2024, 2, 29, 23, 59, 59, 9999}, true, "2024-02-29 23:59:59.9999",
         Timestamp{2024, 2, 29, 23, 59, 59, 9999}},
        {"noon", DateTime{45658.5}, true, "2025-01-01 12:00:00.0000", Timestamp{2025, 1, 1, 12, 0, 0, 0}},
        {"before day zero", DateTime{-1.25}, true, "1899-12-29 06:00:00.0000", Timestamp{1899, 12, 29, 6, 0, 0, 0}},
        {"date at midnight", Date{45658}, true, "2025-01-01 00:00:00.0000", Timestamp{2025, 1, 1, 0, 0, 0, 0}},
    };
    int key = 0;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ++key;
        const std::string column = k.timestamp ? "DATAULTIMALTERACAO" : "DATAANIVERSARIO";
        exec("insert into CLIENTES (ESTACAO, CODIGO, " + column + ") values ('01', ?, ?)",
             {std::int32_t{key}, k.in});
        const auto r = row("select " + column + ", cast(" + column + " as varchar(30)) from CLIENTES where CODIGO = ?",
                           {std::int32_t{key}});
        ASSERT_EQ(r.size(), 2u);
        EXPECT_EQ(r[0], k.back);
        EXPECT_EQ(std::get<std::string>(r[1]), k.asText);
    }
    for (const Value& bad : {Value{Timestamp{2023, 2, 29, 0, 0, 0, 0}}, Value{Timestamp{}},
                             Value{Timestamp{2024, 1, 1, 24, 0, 0, 0}}, Value{std::string("2024-01-01")},
                             Value{Date{2958466}}, Value{DateTime{1e12}}, Value{DateTime{std::nan("")}}}) {
        EXPECT_THROW(exec("insert into CLIENTES (ESTACAO, CODIGO, DATAULTIMALTERACAO) values ('02', 1, ?)", {bad}),
                     DbError);
    }
    EXPECT_EQ(count("CLIENTES"), static_cast<std::int64_t>(cases.size()));
}

TEST_F(Driver, IntegersFloatsBlobsAndNulls) {
    // A text blob bigger than a segment, with every character of the code page but the five
    // it leaves undefined.
    std::string big;
    for (int c = 1; c < 256; ++c)
        if (c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D) big.push_back(static_cast<char>(c));
    while (big.size() < 200000) big += big;
    struct Case {
        const char* code;
        Value blob;
        Value quantity;  // double precision
    };
    const std::vector<Case> cases = {
        {"A", big, 1.5},
        {"B", utf8ToWin1252("Médico € JOÃO ç\r\nsegunda linha"), -0.0001},
        {"C", std::string(), 1e300},
        {"D", Value{}, Value{}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(exec("insert into COMPONEN (CODIGO, FICHATECNICA, QDEESTOQUE) values (?, ?, ?)",
                       {std::string(k.code), k.blob, k.quantity}),
                  1u);
    for (const Case& k : cases) {
        SCOPED_TRACE(k.code);
        const auto r = row("select FICHATECNICA, QDEESTOQUE, octet_length(FICHATECNICA) from COMPONEN where CODIGO = ?",
                           {std::string(k.code)});
        ASSERT_EQ(r.size(), 3u);
        EXPECT_TRUE(r[0] == k.blob) << "blob of " << k.code;
        EXPECT_EQ(r[1], k.quantity);
        if (const auto* s = std::get_if<std::string>(&k.blob)) {
            EXPECT_EQ(std::get<Decimal>(r[2]).unscaled, static_cast<std::int64_t>(s->size()));
        }
    }

    // Every nullable column type reads back null; a null in a NOT NULL column is the server's
    // refusal, with its text.
    exec("insert into CLIENTES (ESTACAO, CODIGO, NOME, QDEFORMULAS, VALORTOTAL, DATAULTIMALTERACAO, "
         "DATAANIVERSARIO) values ('01', 1, ?, ?, ?, ?, ?)",
         {Value{}, Value{}, Value{}, Value{}, Value{}});
    auto tx = att->startTransaction();
    auto st = att->prepare(*tx, "select NOME, QDEFORMULAS, VALORTOTAL, DATAULTIMALTERACAO, DATAANIVERSARIO from CLIENTES");
    st->open(*tx);
    ASSERT_TRUE(st->fetch());
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(st->isNull(i)) << i;
        EXPECT_TRUE(isNull(st->value(i))) << i;
    }
    EXPECT_THROW(st->text(0), DbError);  // a null is not read as text
    st.reset();
    tx->commit();
    try {
        exec("insert into CLIENTES (ESTACAO, CODIGO) values (?, 2)", {Value{}});
        ADD_FAILURE() << "null accepted in a NOT NULL column";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("ESTACAO"), std::string::npos) << e.what();
    }
}

TEST_F(Driver, ColumnsAsTheServerDescribesThem) {
    auto tx = att->startTransaction();
    auto st = att->prepare(*tx, "select f.FORMAFARMA, f.CUSTOFIXO as C, m.MARGEM, k.FICHATECNICA, c.DATAANIVERSARIO "
                                "from FORMAFAR f, FAMILIAS m, COMPONEN k, CLIENTES c where f.FORMAFARMA = ?");
    EXPECT_TRUE(st->hasResultSet());
    const auto& c = st->columns();
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(c[0].name, "FORMAFARMA");
    EXPECT_EQ(c[0].relation, "FORMAFAR");
    EXPECT_EQ(c[0].type, db::SqlType::VarChar);
    EXPECT_EQ(c[0].length, 15);
    EXPECT_FALSE(c[0].nullable);
    EXPECT_EQ(c[1].name, "CUSTOFIXO");
    EXPECT_EQ(c[1].alias, "C");
    EXPECT_EQ(c[1].type, db::SqlType::BigInt);
    EXPECT_EQ(c[1].scale, 2);
    EXPECT_EQ(c[2].scale, 8);
    EXPECT_EQ(c[3].type, db::SqlType::Blob);
    EXPECT_EQ(c[3].subType, 1);
    EXPECT_EQ(c[4].type, db::SqlType::Date);
    ASSERT_EQ(st->parameters().size(), 1u);
    EXPECT_EQ(st->parameters()[0].type, db::SqlType::VarChar);
}

TEST_F(Driver, MisuseFailsCleanly) {
    auto tx = att->startTransaction();
    auto sel = att->prepare(*tx, "select CODIGO from TABPOSO where CODIGO = ?");
    EXPECT_THROW(sel->open(*tx), DbError);  // one parameter, none given
    EXPECT_THROW(sel->execute(*tx, std::vector<Value>{std::string("x")}), DbError);  // rows need open()
    sel->open(*tx, std::vector<Value>{std::string("x")});
    EXPECT_THROW(sel->text(0), DbError);  // no row yet
    EXPECT_FALSE(sel->fetch());
    EXPECT_FALSE(sel->fetch());
    EXPECT_THROW(sel->text(5), DbError);
    try {
        att->prepare(*tx, "select NOSUCHCOLUMN from TABPOSO");
        ADD_FAILURE() << "prepared";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("NOSUCHCOLUMN"), std::string::npos) << e.what();
        EXPECT_NE(e.code(), 0);
    }
    tx->commit();
    EXPECT_THROW(tx->commit(), DbError);
    EXPECT_THROW(att->prepare(*tx, "select 1 from RDB$DATABASE"), DbError);  // transaction ended

    // A transaction dropped without commit rolls back.
    {
        auto t = att->startTransaction();
        auto ins = att->prepare(*t, "insert into TABPOSO (CODIGO) values ('1')");
        ins->execute(*t);
    }
    EXPECT_EQ(count("TABPOSO"), 0);

    // Statements and transactions that outlive their attachment fail, they do not crash.
    auto t = att->startTransaction();
    auto ins = att->prepare(*t, "insert into TABPOSO (CODIGO) values ('1')");
    att.reset();
    EXPECT_FALSE(t->active());
    EXPECT_THROW(ins->execute(*t), DbError);
    EXPECT_THROW(t->commit(), DbError);
}

TEST_F(Driver, ScriptSplitsAtSemicolonsOutsideTextAndComments) {
    runSqlScript(*att,
        "create table T (A varchar(10));\n"
        "/* a comment; with a semicolon */\n"
        "insert into T values ('a;b'); -- another; here\n"
        "insert into T values ('it''s');\n"
        "  ;  \n"
        "insert into \"T\" values ('c')");
    auto tx = att->startTransaction();
    auto st = att->prepare(*tx, "select A from T order by A");
    st->open(*tx);
    std::vector<std::string> got;
    while (st->fetch()) got.emplace_back(st->text(0));
    EXPECT_EQ(got, (std::vector<std::string>{"a;b", "c", "it's"}));
}

TEST(DriverCreate, RefusesToOverwriteAnExistingDatabase) {
    MIG_REQUIRE_CLIENT();
    TestDatabase db;
    try {
        db::Attachment::create(db.params());
        ADD_FAILURE() << "created over an existing file";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find(db.path()), std::string::npos) << e.what();
    }
    auto att = db.attach();  // still the database it was
    auto tx = att->startTransaction();
    auto st = att->prepare(*tx, "select count(*) from FORMAFAR");
    st->open(*tx);
    ASSERT_TRUE(st->fetch());
    EXPECT_EQ(st->integer(0), 0);
}

}  // namespace
}  // namespace mig::test
