// The connection over the network to the loopback server, with the database value start-up
// writes for the address 127.0.0.1: "127.0.0.1:C:\korvelan\dados\korvelan.bd", which the server
// maps to its file through an alias.
#include <gtest/gtest.h>

#include <functional>

#include "target/db/SQLConnection.h"
#include "tests/db/ConnectionCases.h"
#include "tests/support/TestServer.h"

namespace mig::test {
namespace {

using db::ConnectionState;
using db::DbError;
using db::SQLConnection;

class ServerConnection : public ::testing::Test {
protected:
    void SetUp() override {
        MIG_REQUIRE_SERVER();
        emptyServerTables();
        conn.Params().setValue("DataBase", std::string("127.0.0.1") + ":C:\\korvelan\\dados\\korvelan.bd");
    }
    void TearDown() override {
        conn.Close();
        if (!HasFatalFailure() && serverProblem().empty()) emptyServerTables();
    }
    SQLConnection conn;
};

TEST_F(ServerConnection, ConnectsOnceAndReuses) {
    ASSERT_EQ(conn.Params().value("Database"), kServerDatabase);
    EXPECT_EQ(conn.Params().value("User_Name"), "sysdba");
    expectConnectsOnceAndReuses(conn);
}
TEST_F(ServerConnection, Win1252RoundTrip) { expectWin1252RoundTrip(conn); }
TEST_F(ServerConnection, DirectDeleteVisibleToSecondConnection) {
    expectDirectDeleteVisibleToSecondConnection(conn);
}
TEST_F(ServerConnection, InsertCountsAndRefusalText) { expectInsertCountAndRefusal(conn); }

// A failed connect raises the client's text and leaves the connection closed; once the cause is
// gone the next use connects.
TEST_F(ServerConnection, NextUseConnectsOnceTheCauseIsGone) {
    struct Case {
        const char* name;
        const char* param;
        const char* bad;
        const char* expected;  // part of the client's text
    };
    const std::vector<Case> cases = {
        {"nothing listens on the port", "Database", "127.0.0.1/3059:C:\\korvelan\\dados\\korvelan.bd",
         "Unable to complete network request to host \"127.0.0.1\""},
        {"wrong password", "Password", "tawnypikf", "Your user name and password are not defined"},
        {"no such database on the server", "Database", "127.0.0.1:/nonexistent/korvelan.fdb", "I/O error"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        SQLConnection c;
        c.Params().setValue("DataBase", kServerDatabase);
        const std::string good = c.Params().value(k.param);
        c.Params().setValue(k.param, k.bad);
        try {
            c.ExecuteDirect("delete from TABPOSO");
            ADD_FAILURE() << "connected";
        } catch (const DbError& e) {
            EXPECT_NE(std::string(e.what()).find(k.expected), std::string::npos) << e.what();
        }
        EXPECT_EQ(c.state(), ConnectionState::Closed);
        EXPECT_EQ(c.connectCount(), 0);

        c.Params().setValue(k.param, good);
        EXPECT_EQ(c.ExecuteDirect("delete from TABPOSO"), 0u);
        EXPECT_EQ(c.state(), ConnectionState::Open);
        EXPECT_EQ(c.connectAttempts(), 2);
        EXPECT_EQ(c.connectCount(), 1);
    }
}

}  // namespace
}  // namespace mig::test
