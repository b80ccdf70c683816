// The server going away and coming back while the connection is open. The loopback server is
// reached through a TCP relay of the test's own, so stopping the relay stands for stopping the
// server without disturbing anyone else using it.
#include <gtest/gtest.h>

#include "target/db/SQLConnection.h"
#include "tests/support/Relay.h"
#include "tests/support/TestServer.h"

namespace mig::test {
namespace {

using db::ConnectionState;
using db::DbError;
using db::SQLConnection;

TEST(ServerConnectionLoss, NextUseConnectsOnceTheServerIsBack) {
    MIG_REQUIRE_SERVER();
    emptyServerTables();
    Relay relay;
    SQLConnection c;
    c.Params().setValue("DataBase", relay.serverAddress() + ":C:\\korvelan\\dados\\korvelan.bd");
    EXPECT_EQ(c.ExecuteDirect("insert into TABPOSO (CODIGO) values ('1')"), 1u);
    c.StartTransaction();

    relay.stop();  // the server goes away while the connection is open
    EXPECT_THROW(c.ExecuteDirect("delete from TABPOSO"), DbError);
    c.Rollback();  // the lost transaction goes quietly
    EXPECT_FALSE(c.InTransaction());
    // With the server still away the next use tries to connect again, and fails with the
    // client's text, leaving the connection closed.
    try {
        c.ExecuteDirect("delete from TABPOSO");
        ADD_FAILURE() << "connected with the server away";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("Unable to complete network request"), std::string::npos) << e.what();
    }
    EXPECT_EQ(c.state(), ConnectionState::Closed);
    EXPECT_EQ(c.connectCount(), 1);

    relay.start();  // back on the same port
    EXPECT_EQ(c.ExecuteDirect("delete from TABPOSO"), 1u);
    EXPECT_EQ(c.state(), ConnectionState::Open);
    EXPECT_EQ(c.connectCount(), 2);
    EXPECT_EQ(c.connectAttempts(), 3);
}

}  // namespace
}  // namespace mig::test
