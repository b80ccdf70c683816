#pragma once
// Behaviours of the connection that must hold the same way on an embedded database file and on
// the loopback server. Each takes a closed connection pointed at an empty target database.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "target/db/SQLConnection.h"
#include "target/field/Win1252.h"

namespace mig::test {

inline std::int64_t countRows(db::SQLConnection& c, const std::string& table) {
    auto tx = c.newTransaction();
    auto st = c.prepare(*tx, "select count(*) from " + table);
    st->open(*tx);
    EXPECT_TRUE(st->fetch());
    return st->integer(0);
}

// A copy of `c`'s parameters in a new, closed connection: a second client of the same database.
inline void copyParams(const db::SQLConnection& from, db::SQLConnection& to) {
    for (std::size_t i = 0; i < from.Params().count(); ++i) {
        const std::string name = from.Params().name(i);
        to.Params().setValue(name, from.Params().value(name));
    }
}

inline void expectConnectsOnceAndReuses(db::SQLConnection& c) {
    EXPECT_EQ(c.state(), db::ConnectionState::Closed);
    EXPECT_EQ(c.connectCount(), 0);
    // Every kind of use opens on demand and then shares the one attachment.
    c.ExecuteDirect("delete from FORMAFAR");
    EXPECT_EQ(c.state(), db::ConnectionState::Open);
    {
        auto tx = c.newTransaction();
        auto st = c.prepare(*tx, "select count(*) from FAMILIAS");
        st->open(*tx);
        ASSERT_TRUE(st->fetch());
    }
    c.StartTransaction();
    c.Commit();
    c.Open();
    db::Attachment& first = c.attachment();
    EXPECT_EQ(&first, &c.attachment());
    EXPECT_EQ(c.connectCount(), 1);
    EXPECT_EQ(c.connectAttempts(), 1);

    c.Close();
    EXPECT_EQ(c.state(), db::ConnectionState::Closed);
    c.Close();  // closing a closed connection does nothing
    EXPECT_EQ(countRows(c, "FORMAFAR"), 0);
    EXPECT_EQ(c.connectCount(), 2);
}

inline void expectWin1252RoundTrip(db::SQLConnection& c) {
    const std::vector<std::string> utf8 = {"Médico", "JOÃO", "ç", "€"};
    const std::vector<std::string> expectedBytes = {"M\xE9" "dico", "JO\xC3O", "\xE7", "\x80"};
    c.StartTransaction();
    {
        auto ins = c.prepare(c.transaction(), "insert into FORMAFAR (FORMAFARMA, FICHATECNICA) values (?, ?)");
        for (const std::string& u : utf8) {
            const std::string text = utf8ToWin1252(u);
            ASSERT_EQ(ins->execute(c.transaction(), std::vector<Value>{text, text}), 1u);
        }
    }
    c.Commit();

    auto tx = c.newTransaction();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        SCOPED_TRACE(utf8[i]);
        // Found by the text written into the statement itself, read back byte for byte, and
        // understood by the server as the same characters (their UTF-8 length).
        auto st = c.prepare(*tx,
                            "select FORMAFARMA, FICHATECNICA, char_length(FORMAFARMA), "
                            "octet_length(cast(FORMAFARMA as varchar(15) character set utf8)) "
                            "from FORMAFAR where FORMAFARMA = '" + expectedBytes[i] + "'");
        st->open(*tx);
        ASSERT_TRUE(st->fetch());
        EXPECT_EQ(std::string(st->text(0)), expectedBytes[i]);
        EXPECT_EQ(std::string(st->text(1)), expectedBytes[i]);
        EXPECT_EQ(st->integer(2), static_cast<std::int64_t>(expectedBytes[i].size()));
        EXPECT_EQ(st->integer(3), static_cast<std::int64_t>(utf8[i].size()));
        EXPECT_FALSE(st->fetch());
    }
}

inline void expectDirectDeleteVisibleToSecondConnection(db::SQLConnection& c) {
    c.StartTransaction();
    {
        auto ins = c.prepare(c.transaction(), "insert into TABPOSO (CODIGO, POSOLOGIA) values (?, ?)");
        for (const char* code : {"1", "2", "3"})
            ins->execute(c.transaction(), std::vector<Value>{std::string(code), std::string("x")});
    }
    c.Commit();

    db::SQLConnection other;
    copyParams(c, other);
    auto otherTx = other.newTransaction();  // started before the deletion, read committed
    auto count = other.prepare(*otherTx, "select count(*) from TABPOSO");
    count->open(*otherTx);
    ASSERT_TRUE(count->fetch());
    EXPECT_EQ(count->integer(0), 3);
    count->close();

    EXPECT_EQ(c.ExecuteDirect("delete from TABPOSO"), 3u);
    EXPECT_FALSE(c.InTransaction());

    count->open(*otherTx);
    ASSERT_TRUE(count->fetch());
    EXPECT_EQ(count->integer(0), 0);
    db::SQLConnection third;
    copyParams(c, third);
    EXPECT_EQ(countRows(third, "TABPOSO"), 0);
}

inline void expectInsertCountAndRefusal(db::SQLConnection& c) {
    c.StartTransaction();
    auto ins = c.prepare(c.transaction(), "insert into TAXABAIRRO (BAIRRO, TAXA) values (?, ?)");
    EXPECT_EQ(ins->execute(c.transaction(), std::vector<Value>{std::string("CENTRO"), Decimal{350, 2, 3}}), 1u);
    try {
        ins->execute(c.transaction(), std::vector<Value>{std::string("CENTRO"), Decimal{100, 2, 3}});
        ADD_FAILURE() << "a duplicate key was accepted";
    } catch (const db::DbError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("violation of PRIMARY or UNIQUE KEY constraint"), std::string::npos) << text;
        EXPECT_NE(text.find("TAXABAIRRO"), std::string::npos) << text;
        EXPECT_EQ(e.code(), 335544665) << text;  // isc_unique_key_violation
    }
    // The refusal leaves the transaction usable: the first row is committed.
    EXPECT_EQ(ins->execute(c.transaction(), std::vector<Value>{std::string("NORTE"), Value{}}), 1u);
    c.Commit();
    EXPECT_EQ(countRows(c, "TAXABAIRRO"), 2);
    EXPECT_EQ(c.ExecuteDirect("update TAXABAIRRO set TAXA = 1"), 2u);
}

}  // namespace mig::test
