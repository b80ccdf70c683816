#include "tests/support/TestDatabase.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

namespace mig::test {

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The embedded engine keeps its lock files in /tmp/firebird; when that folder belongs to the
// server's user and this one may not write there, the engine is given a folder of its own.
void useWritableLockFolder() {
    static const bool done = [] {
        if (std::getenv("FIREBIRD_LOCK") == nullptr && ::access("/tmp/firebird", F_OK) == 0 &&
            ::access("/tmp/firebird", W_OK | X_OK) != 0) {
            static TempFolder lockFolder;
            ::setenv("FIREBIRD_LOCK", lockFolder.path().c_str(), 1);
        }
        return true;
    }();
    (void)done;
}

db::AttachParams embeddedParams(const std::string& file) {
    db::AttachParams p;
    p.database = file;
    p.user = "SYSDBA";
    p.password = kServerPassword;
    return p;
}

// The empty database with the target schema, made once per test program.
const std::string& templateDatabase() {
    static TempFolder folder;
    static const std::string path = [] {
        useWritableLockFolder();
        const std::string file = folder.path() + "/template.fdb";
        auto att = db::Attachment::create(embeddedParams(file));
        att->executeScript(readFile(MIG_SOURCE_DIR "/sql/schema.sql"));
        return file;
    }();
    return path;
}

}  // namespace

TempFolder::TempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/mig-test-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed for " + pattern);
    path_ = buf.data();
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    ::setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (saved_) ::setenv(name_, saved_->c_str(), 1);
    else ::unsetenv(name_);
}

TestDatabase::TestDatabase() : path_(folder_.path() + "/target.fdb") { copyTemplateTo(path_); }

db::AttachParams TestDatabase::params() const { return embeddedParams(path_); }

void TestDatabase::copyTemplateTo(const std::string& file) {
    const std::string& from = templateDatabase();
    fs::create_directories(fs::path(file).parent_path());
    fs::copy_file(from, file, fs::copy_options::overwrite_existing);
}

db::AttachParams serverParams() {
    db::AttachParams p;
    p.database = kServerDatabase;
    p.user = "SYSDBA";
    p.password = kServerPassword;
    return p;
}

const std::string& serverProblem() {
    static const std::string problem = []() -> std::string {
        try {
            auto att = db::Attachment::attach(serverParams());
            auto tx = att->startTransaction();
            auto st = att->prepare(*tx, "select count(*) from FORMAFAR");
            st->open(*tx);
            st->fetch();
            return {};
        } catch (const std::exception& e) {
            return e.what();
        }
    }();
    return problem;
}

bool runningUnderCi() {
    const char* ci = std::getenv("CI");
    if (!ci) return false;
    const std::string v = ci;
    return v == "true" || v == "TRUE" || v == "True" || v == "1";
}

void emptyServerTables() {
    auto att = db::Attachment::attach(serverParams());
    auto tx = att->startTransaction();
    std::vector<std::string> tables;
    {
        auto st = att->prepare(*tx,
                               "select trim(RDB$RELATION_NAME) from RDB$RELATIONS "
                               "where coalesce(RDB$SYSTEM_FLAG, 0) = 0 and RDB$VIEW_BLR is null");
        st->open(*tx);
        while (st->fetch()) tables.emplace_back(st->text(0));
    }
    for (const std::string& t : tables) {
        auto st = att->prepare(*tx, "delete from \"" + t + "\"");
        st->execute(*tx);
    }
    tx->commit();
}

}  // namespace mig::test
