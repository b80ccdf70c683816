#pragma once
// Databases for the tests: a fresh embedded database with the target schema in a folder of its
// own, and the loopback server's database behind the alias C:\korvelan\dados\korvelan.bd.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "target/db/Driver.h"

namespace mig::test {

// A temporary folder, removed with everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Sets an environment variable (or, given no value, removes it) for the life of the object,
// then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> saved_;
};

// Empty text when the Firebird client library can be used by this test program; else why not.
// The Windows build loads fbclient.dll when the driver is first used, and a machine (or a Wine
// prefix) without it runs every test that does not need it.
const std::string& clientProblem();

// A fresh embedded database holding the target tables (sql/schema.sql), empty, character set
// WIN1252. The schema is loaded once per test program into a template that each instance copies.
// Without the client library the test that makes one is skipped with the reason and no database
// is made (attach() then gives null): a fixture holding one is skipped before its body runs;
// a test body that makes one starts with MIG_REQUIRE_CLIENT().
class TestDatabase {
public:
    TestDatabase();
    const std::string& path() const { return path_; }  // the database file
    const std::string& folder() const { return folder_.path(); }
    db::AttachParams params() const;  // the file, SYSDBA, WIN1252, dialect 3
    std::unique_ptr<db::Attachment> attach() const {
        return clientProblem().empty() ? db::Attachment::attach(params()) : nullptr;
    }

    // Copies the empty template database to `file` (a path of this system).
    static void copyTemplateTo(const std::string& file);

private:
    TempFolder folder_;
    std::string path_;
};

// The loopback server the network tests use (scripts/test-server starts it).
inline constexpr const char* kServerDatabase = "127.0.0.1:C:\\korvelan\\dados\\korvelan.bd";
inline constexpr const char* kServerPassword = "tawnypike";
db::AttachParams serverParams();  // kServerDatabase, SYSDBA, kServerPassword, WIN1252, dialect 3

// Empty text when the server accepts SYSDBA on the alias; else what went wrong. Asked once per
// test program.
const std::string& serverProblem();
// CI=true in the environment: a missing server is a failure there, not a reason to skip.
bool runningUnderCi();
// Deletes every row of every table of the server's database, in one committed transaction.
void emptyServerTables();

}  // namespace mig::test

// In a test (or its SetUp): without the Firebird client library, skip with the reason.
#define MIG_REQUIRE_CLIENT()                                                                    \
    do {                                                                                        \
        if (const std::string& migClientProblem_ = ::mig::test::clientProblem();                \
            !migClientProblem_.empty())                                                         \
            GTEST_SKIP() << "Needs the Firebird client library: " << migClientProblem_;         \
    } while (0)

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
