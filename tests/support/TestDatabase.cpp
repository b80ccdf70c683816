#include "tests/support/TestDatabase.h"

#include <cstdlib>
#include <filesystem>

#include "target/field/Calendar.h"
#include "target/field/NumberFormat.h"
#include "target/platform/SystemPath.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/SqlScript.h"

#include "target/db/ClientLibrary.h"
#include "target/db/DbError.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace mig::test {

namespace {

// The embedded engine keeps its lock files in /tmp/firebird; when that folder belongs to the
// server's user and this one may not write there, the engine is given a folder of its own.
void useWritableLockFolder() {
#ifndef _WIN32
    static const bool done = [] {
        if (std::getenv("FIREBIRD_LOCK") == nullptr && ::access("/tmp/firebird", F_OK) == 0 &&
            ::access("/tmp/firebird", W_OK | X_OK) != 0) {
            static TempFolder lockFolder;
            static ScopedEnv lock("FIREBIRD_LOCK", lockFolder.path());
        }
        return true;
    }();
    (void)done;
#endif
}

db::AttachParams embeddedParams(const std::string& file) {
    db::AttachParams p;
    p.database = file;
    p.user = "SYSDBA";
    p.password = kTestPassword;
    return p;
}

// The empty database with the target schema, made once per test program.
const std::string& templateDatabase() {
    static TempFolder folder;
    static const std::string path = [] {
        useWritableLockFolder();
        const std::string file = folder.path() + "/template.fdb";
        createTargetDatabase(embeddedParams(file));
        return file;
    }();
    return path;
}

}  // namespace

const std::string& clientProblem() {
    static const std::string problem = []() -> std::string {
        try {
            db::clientMaster();
        } catch (const db::DbError& e) {
            return e.what();
        }
        return {};
    }();
    return problem;
}

namespace {
// Records the skip of the running test when the client library is missing.
void skipWithoutClient() { MIG_REQUIRE_CLIENT(); }
}  // namespace

TestDatabase::TestDatabase() : path_(folder_.path() + "/target.fdb") {
    skipWithoutClient();
    if (clientProblem().empty()) copyTemplateTo(path_);
}

db::AttachParams TestDatabase::params() const { return embeddedParams(path_); }

void TestDatabase::copyTemplateTo(const std::string& file) {
    const std::string& from = templateDatabase();
    fs::create_directories(systemPath(file).parent_path());
    fs::copy_file(systemPath(from), systemPath(file), fs::copy_options::overwrite_existing);
}

std::string valueText(const Value& value) {
    if (isNull(value)) return "<null>";
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* i = std::get_if<std::int32_t>(&value)) return std::to_string(*i);
    if (const auto* d = std::get_if<Decimal>(&value)) return formatDecimal(*d, '.');
    if (const auto* f = std::get_if<double>(&value)) return formatGeneralFloat(*f, '.');
    if (const auto* date = std::get_if<Date>(&value)) {
        const CivilDate c = civilDate(*date);
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", c.year, c.month, c.day);
        return buffer;
    }
    return "<value>";
}

std::vector<std::vector<std::string>> queryRows(db::Attachment& attachment, std::string_view sql) {
    auto tx = attachment.startTransaction();
    auto statement = attachment.prepare(*tx, sql);
    statement->open(*tx);
    std::vector<std::vector<std::string>> out;
    while (statement->fetch()) {
        std::vector<std::string> row;
        for (int c = 0; c < static_cast<int>(statement->columns().size()); ++c) row.push_back(valueText(statement->value(c)));
        out.push_back(std::move(row));
    }
    return out;
}

std::vector<std::string> queryColumn(db::Attachment& attachment, std::string_view sql) {
    std::vector<std::string> out;
    for (auto& row : queryRows(attachment, sql)) out.push_back(std::move(row.at(0)));
    return out;
}

int queryCount(db::Attachment& attachment, std::string_view tableAndCondition) {
    return std::stoi(queryColumn(attachment, "select cast(count(*) as varchar(20)) from " + std::string(tableAndCondition)).at(0));
}

}  // namespace mig::test
