// The connection `SQLConnection1` on embedded database files: its stored settings, the
// parameter list, connecting on demand, failed connects and the providers' transaction.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "target/db/SQLConnection.h"
#include "tests/db/ConnectionCases.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestDatabase.h"

namespace mig::test {
namespace {

using db::ConnectionState;
using db::DbError;
using db::Isolation;
using db::SQLConnection;

TEST(SQLConnectionSettings, StoredPropertiesAndParameterList) {
    SQLConnection c;
    EXPECT_EQ(c.ConnectionName(), "KorvelanDados");
    EXPECT_EQ(c.DriverName(), "Interbase");
    EXPECT_EQ(c.LibraryName(), "dbexpint.dll");
    EXPECT_EQ(c.GetDriverFunc(), "getSQLDriverINTERBASE");
    EXPECT_EQ(c.VendorLib(), "gds32.dll");
    EXPECT_FALSE(c.LoginPrompt());
    EXPECT_TRUE(c.KeepConnection());
    EXPECT_EQ(c.quoteChar(), '"');
    EXPECT_EQ(c.state(), ConnectionState::Closed);
    const std::vector<std::string> expected = {
        "DriverName=Interbase",
        "Database=127.0.0.1:C:\\KORVELAN\\DADOS\\KORVELAN.BD",
        "RoleName=RoleName",
        "User_Name=sysdba",
        "Password=tawnypike",
        "ServerCharSet=win1252",
        "SQLDialect=3",
        "BlobSize=-1",
        "CommitRetain=False",
        "WaitOnLocks=True",
        "ErrorResourceFile=",
        "LocaleCode=0000",
        "Interbase TransIsolation=ReadCommited",
        "Trim Char=False",
    };
    EXPECT_EQ(c.Params().lines(), expected);
}

TEST(SQLConnectionSettings, ParameterListEditsByNameWithoutRegardToCase) {
    SQLConnection c;
    auto& p = c.Params();
    EXPECT_EQ(p.value("DATABASE"), "127.0.0.1:C:\\KORVELAN\\DADOS\\KORVELAN.BD");
    EXPECT_EQ(p.value("user_name"), "sysdba");
    EXPECT_EQ(p.value("ErrorResourceFile"), "");
    EXPECT_EQ(p.value("NoSuchName"), "");
    EXPECT_EQ(p.indexOfName("NoSuchName"), -1);

    // Replaced in place with the new spelling of the name; no second line.
    p.setValue("DataBase", "10.0.0.7:C:\\korvelan\\dados\\korvelan.bd");
    ASSERT_EQ(p.count(), 14u);
    EXPECT_EQ(p.lines()[1], "DataBase=10.0.0.7:C:\\korvelan\\dados\\korvelan.bd");
    EXPECT_EQ(p.lines()[0], "DriverName=Interbase");
    EXPECT_EQ(p.lines()[2], "RoleName=RoleName");
    EXPECT_EQ(p.indexOfName("database"), 1);

    // A name not present is appended; a value may hold "=".
    p.setValue("Extra", "a=b");
    ASSERT_EQ(p.count(), 15u);
    EXPECT_EQ(p.lines()[14], "Extra=a=b");
    EXPECT_EQ(p.value("EXTRA"), "a=b");
}

TEST(SQLConnectionSettings, ConnectParametersComeFromTheList) {
    SQLConnection c;
    c.Params().setValue("DataBase", "  \t127.0.0.1:C:\\x.bd  ");
    const db::AttachParams a = c.attachParams();
    EXPECT_EQ(a.database, "\t127.0.0.1:C:\\x.bd");  // only blanks are removed
    EXPECT_EQ(a.user, "sysdba");
    EXPECT_EQ(a.password, "tawnypike");
    EXPECT_EQ(a.role, "RoleName");
    EXPECT_EQ(a.charset, "win1252");
    EXPECT_EQ(a.dialect, 3);
    EXPECT_EQ(c.isolation(), Isolation::ReadCommitted);
    EXPECT_TRUE(c.waitOnLocks());

    struct Case {
        const char* value;
        Isolation isolation;
    };
    for (const Case& k : {Case{"ReadCommited", Isolation::ReadCommitted},
                          Case{"RepeatableRead", Isolation::RepeatableRead},
                          Case{"REPEATABLEREAD", Isolation::RepeatableRead},
                          Case{"dirtyread", Isolation::DirtyRead},
                          Case{"Snapshot", Isolation::ReadCommitted},
                          Case{"", Isolation::ReadCommitted}}) {
        c.Params().setValue("INTERBASE TRANSISOLATION", k.value);
        EXPECT_EQ(c.isolation(), k.isolation) << k.value;
    }
    for (const char* no : {"False", "", "yes"}) {
        c.Params().setValue("WaitOnLocks", no);
        EXPECT_FALSE(c.waitOnLocks()) << no;
    }
    c.Params().setValue("waitonlocks", "TRUE");
    EXPECT_TRUE(c.waitOnLocks());

    c.Params().setValue("SQLDialect", "x");
    EXPECT_THROW(c.Open(), DbError);
    EXPECT_EQ(c.state(), ConnectionState::Closed);
}

class EmbeddedConnection : public ::testing::Test {
protected:
    void SetUp() override { conn.Params().setValue("DataBase", db.path()); }
    TestDatabase db;
    SQLConnection conn;
};

TEST_F(EmbeddedConnection, ConnectsOnceAndReuses) { expectConnectsOnceAndReuses(conn); }
TEST_F(EmbeddedConnection, Win1252RoundTrip) { expectWin1252RoundTrip(conn); }
TEST_F(EmbeddedConnection, DirectDeleteVisibleToSecondConnection) {
    expectDirectDeleteVisibleToSecondConnection(conn);
}
TEST_F(EmbeddedConnection, InsertCountsAndRefusalText) { expectInsertCountAndRefusal(conn); }

TEST_F(EmbeddedConnection, ProvidersTransaction) {
    EXPECT_FALSE(conn.InTransaction());
    EXPECT_THROW(conn.Commit(), DbError);
    EXPECT_THROW(conn.transaction(), DbError);
    conn.Rollback();  // nothing to roll back

    conn.StartTransaction();
    EXPECT_TRUE(conn.InTransaction());
    EXPECT_THROW(conn.StartTransaction(), DbError);  // one at a time
    auto ins = conn.prepare(conn.transaction(), "insert into TABPOSO (CODIGO) values (?)");
    ins->execute(conn.transaction(), std::vector<Value>{std::string("A")});
    conn.Rollback();
    EXPECT_FALSE(conn.InTransaction());
    EXPECT_EQ(countRows(conn, "TABPOSO"), 0);

    conn.StartTransaction();
    ins->execute(conn.transaction(), std::vector<Value>{std::string("B")});
    conn.Commit();
    EXPECT_EQ(countRows(conn, "TABPOSO"), 1);

    // Closing with a transaction active rolls it back.
    conn.StartTransaction();
    ins->execute(conn.transaction(), std::vector<Value>{std::string("C")});
    conn.Close();
    EXPECT_FALSE(conn.InTransaction());
    EXPECT_EQ(countRows(conn, "TABPOSO"), 1);
    // The statement prepared on the closed attachment fails cleanly.
    conn.StartTransaction();
    EXPECT_THROW(ins->execute(conn.transaction(), std::vector<Value>{std::string("D")}), DbError);
    conn.Rollback();
}

// The value without a server part that start-up writes when no address is configured: the
// file named by the Windows path, opened in this process.
TEST(EmbeddedWindowsPath, DatabaseWithoutServerPartOpensTheMappedFile) {
    MIG_REQUIRE_CLIENT();
    TempFolder drive;
    ScopedEnv env("KORVELAN_DRIVE_C", drive.path());
    // Spelt differently on disk: the path's components are matched without regard to case.
    TestDatabase::copyTemplateTo(drive.path() + "/KORVELAN/Dados/korvelan.BD");

    SQLConnection c;
    c.Params().setValue("DataBase", ":C:\\korvelan\\dados\\korvelan.bd");
    EXPECT_EQ(c.ExecuteDirect("insert into TABPOSO (CODIGO) values ('1')"), 1u);
    EXPECT_EQ(c.connectCount(), 1);

    auto direct = db::Attachment::attach(
        db::AttachParams{drive.path() + "/KORVELAN/Dados/korvelan.BD", "SYSDBA", "", "", "WIN1252", 3});
    auto tx = direct->startTransaction();
    auto st = direct->prepare(*tx, "select CODIGO from TABPOSO");
    st->open(*tx);
    ASSERT_TRUE(st->fetch());
    EXPECT_EQ(st->text(0), "1");
}

// A failed connect raises the client's text and leaves the connection closed; once the cause
// is gone the next use connects.
TEST(EmbeddedConnectFailure, NextUseConnectsOnceTheCauseIsGone) {
    MIG_REQUIRE_CLIENT();
    struct Case {
        const char* name;
        std::function<void(const std::string& file)> breakIt;
        const char* expected;  // part of the client's text
    };
    const std::vector<Case> cases = {
        {"missing file", [](const std::string&) {}, "No such file or directory"},
        {"not a database",
         [](const std::string& file) { std::ofstream(file) << std::string(65536, 'x'); },
         "not a valid database"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TempFolder folder;
        const std::string file = folder.path() + "/korvelan.fdb";
        k.breakIt(file);
        SQLConnection c;
        c.Params().setValue("DataBase", file);
        try {
            c.ExecuteDirect("delete from TABPOSO");
            ADD_FAILURE() << "connected to a broken database";
        } catch (const DbError& e) {
            const std::string text = e.what();
            EXPECT_NE(text.find(k.expected), std::string::npos) << text;
            EXPECT_NE(text.find(file), std::string::npos) << text;
        }
        EXPECT_EQ(c.state(), ConnectionState::Closed);
        EXPECT_EQ(c.connectCount(), 0);

        TestDatabase::copyTemplateTo(file);
        EXPECT_EQ(c.ExecuteDirect("delete from TABPOSO"), 0u);
        EXPECT_EQ(c.state(), ConnectionState::Open);
        EXPECT_EQ(c.connectAttempts(), 2);
        EXPECT_EQ(c.connectCount(), 1);
    }
}

}  // namespace
}  // namespace mig::test
