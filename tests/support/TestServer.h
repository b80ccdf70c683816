#pragma once
// The loopback Firebird server the network tests share (scripts/test-server starts it): its
// database behind the alias C:\korvelan\dados\korvelan.bd.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "target/db/Attachment.h"
#include "tests/support/TestDatabase.h"

namespace mig::test {

// The loopback server the network tests use (scripts/test-server starts it).
inline constexpr const char* kServerDatabase = "127.0.0.1:C:\\korvelan\\dados\\korvelan.bd";
db::AttachParams serverParams();  // kServerDatabase, SYSDBA, kTestPassword, WIN1252, dialect 3

// Empty text when the server accepts SYSDBA on the alias; else what went wrong. Asked once per
// test program.
const std::string& serverProblem();
// CI=true in the environment: a missing server is a failure there, not a reason to skip.
bool runningUnderCi();
// The server's database read through an attachment of its own (valueText for each column): the
// first column of every row, and the rows of "FORMAFAR", "COMPONEN where GRUPO = 'MP'", ...
std::vector<std::string> serverColumn(std::string_view sql);
int serverCount(std::string_view tableAndCondition);
// Deletes every row of every table of the server's database, in one committed transaction.
void emptyServerTables();

}  // namespace mig::test

// In a test (or its SetUp): without the loopback server, skip with a visible message when run by
// hand, fail under CI.
#define MIG_REQUIRE_SERVER()                                                                    \
    do {                                                                                        \
        if (const std::string& migServerProblem_ = ::mig::test::serverProblem();                \
            !migServerProblem_.empty()) {                                                       \
            if (::mig::test::runningUnderCi())                                                  \
                FAIL() << "The loopback Firebird server is required under CI: " << migServerProblem_; \
            else                                                                                \
                GTEST_SKIP() << "No loopback Firebird server (run scripts/test-server): "       \
                             << migServerProblem_;                                              \
        }                                                                                       \
    } while (0)
