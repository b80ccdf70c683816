#pragma once
// A fresh embedded database with the target schema in a folder of its own, for one test.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "target/db/Attachment.h"
#include "target/field/Value.h"
#include "tests/support/TempFolder.h"

namespace mig::test {

// The password of SYSDBA on the test databases and on the loopback server.
inline constexpr const char* kTestPassword = "tawnypike";

// Empty text when the Firebird client library can be used by this test program; else why not:
// the driver's own failure to load it ("Unable to Load fbclient.dll"). The driver loads the
// library when it is first used, and a Windows machine (or a Wine prefix) without it runs every
// test that does not need it. On other systems the client is part of what the tests need
// (libfbclient2): without it a test that needs it fails, with the same reason.
const std::string& clientProblem();

// What a database holds, read through an attachment of the test's own (so what was committed).
// A value as the tests write it: text as stored, integers in digits, decimals and floats with a
// point, dates as YYYY-MM-DD, "<null>" for null.
std::string valueText(const Value& value);
// Every row of a query, each column by valueText.
std::vector<std::vector<std::string>> queryRows(db::Attachment& attachment, std::string_view sql);
// The first column of every row.
std::vector<std::string> queryColumn(db::Attachment& attachment, std::string_view sql);
// The rows of "FORMAFAR", "COMPONEN where GRUPO = 'MP'", ...
int queryCount(db::Attachment& attachment, std::string_view tableAndCondition);

// A fresh embedded database holding the target tables (sql/schema.sql), empty, character set
// WIN1252. The schema is loaded once per test program into a template that each instance copies.
// Without the client library the test that makes one is skipped (on Windows; elsewhere failed)
// with the reason and no database is made (attach() then gives null): a fixture holding one
// stops before its body runs; a test body that makes one starts with MIG_REQUIRE_CLIENT().
class TestDatabase {
public:
    TestDatabase();
    const std::string& path() const { return path_; }  // the database file
    const std::string& folder() const { return folder_.path(); }
    db::AttachParams params() const;  // the file, SYSDBA, WIN1252, dialect 3
    std::unique_ptr<db::Attachment> attach() const {
        return clientProblem().empty() ? db::Attachment::attach(params()) : nullptr;
    }

    // The readers above, over an attachment of their own.
    std::vector<std::vector<std::string>> rows(std::string_view sql) const { return queryRows(*attach(), sql); }
    std::vector<std::string> column(std::string_view sql) const { return queryColumn(*attach(), sql); }
    int count(std::string_view tableAndCondition) const { return queryCount(*attach(), tableAndCondition); }

    // Copies the empty template database to `file` (a path of this system).
    static void copyTemplateTo(const std::string& file);

private:
    TempFolder folder_;
    std::string path_;
};

}  // namespace mig::test

// In a test (or its SetUp): without the Firebird client library, skip with the reason (on
// Windows) or fail with it (elsewhere).
#ifdef _WIN32
#define MIG_CLIENT_MISSING_() GTEST_SKIP()
#else
#define MIG_CLIENT_MISSING_() GTEST_FAIL()
#endif
#define MIG_REQUIRE_CLIENT()                                                                    \
    do {                                                                                        \
        if (const std::string& migClientProblem_ = ::mig::test::clientProblem();                \
            !migClientProblem_.empty())                                                         \
            MIG_CLIENT_MISSING_() << "Needs the Firebird client library: " << migClientProblem_; \
    } while (0)
