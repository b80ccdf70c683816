#include "tests/support/TestDatabase.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "target/platform/SystemPath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

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

void setEnvironment(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
    // An empty value removes the variable.
    ::_putenv_s(name, value ? value->c_str() : "");
#else
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
#endif
}

// The embedded engine keeps its lock files in /tmp/firebird; when that folder belongs to the
// server's user and this one may not write there, the engine is given a folder of its own.
void useWritableLockFolder() {
#ifndef _WIN32
    static const bool done = [] {
        if (std::getenv("FIREBIRD_LOCK") == nullptr && ::access("/tmp/firebird", F_OK) == 0 &&
            ::access("/tmp/firebird", W_OK | X_OK) != 0) {
            static TempFolder lockFolder;
            setEnvironment("FIREBIRD_LOCK", lockFolder.path());
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
#ifdef _WIN32
    const fs::path base = fs::temp_directory_path();
#else
    const char* tmpdir = std::getenv("TMPDIR");
    const fs::path base = tmpdir && *tmpdir ? fs::path(tmpdir) : fs::path("/tmp");
#endif
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base / ("mig-test-" + std::to_string(random() % 1'000'000'000));
        // create_directory is false when the folder is there already: try another name.
        if (fs::create_directory(candidate)) {
            path_ = utf8Path(candidate);
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be made in " + utf8Path(base));
}

TempFolder::~TempFolder() {
    std::error_code ec;
    fs::remove_all(systemPath(path_), ec);
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    setEnvironment(name, value);
}

ScopedEnv::~ScopedEnv() { setEnvironment(name_, saved_); }

const std::string& clientProblem() {
    static const std::string problem = []() -> std::string {
#ifdef _WIN32
        HMODULE client = LoadLibraryW(L"fbclient.dll");
        if (!client) return "fbclient.dll cannot be loaded (Windows error " + std::to_string(GetLastError()) + ")";
        if (!GetProcAddress(client, "fb_get_master_interface")) return "fbclient.dll lacks fb_get_master_interface";
#endif
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
