// The client library loaded when the connection first needs it: the files tried in turn, the two
// failures ("Unable to Load", "Unable to Find Procedure") with the names they give, a failure
// that is tried again at the next use, and a library once loaded kept whatever is asked later.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "target/db/ClientLibrary.h"
#include "target/db/DbError.h"
#include "target/platform/SystemPath.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestDatabase.h"

namespace fs = std::filesystem;

namespace mig::test {
namespace {

using db::ClientLibrary;
using db::DbError;

#ifdef _WIN32
constexpr const char* kLibraryEnding = ".dll";
#else
constexpr const char* kLibraryEnding = ".so";
#endif

// The tests' library that is not a client (tests/db/NotAClient.cpp), beside the test program.
std::string notAClient() {
    return utf8Path(systemPath(executablePath()).parent_path() / MIG_NOT_A_CLIENT_FILE);
}

// The text of the failure of one call of master(); empty when it loaded.
std::string failureOf(ClientLibrary& library) {
    try {
        library.master();
    } catch (const DbError& e) {
        return e.what();
    }
    return {};
}

TEST(ClientLibraryFiles, TheVariableNamesTheOneFileElseTheSystemsNames) {
#ifdef _WIN32
    const std::vector<std::string> usual = {"fbclient.dll", "gds32.dll"};
#else
    const std::vector<std::string> usual = {"libfbclient.so.2"};
#endif
    struct Case {
        const char* name;
        std::optional<std::string> variable;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"not set", std::nullopt, usual},
        {"empty", "", usual},
        {"a file name", "fbclient_custom.dll", {"fbclient_custom.dll"}},
        {"a path", "/opt/firebird/lib/libfbclient.so.2", {"/opt/firebird/lib/libfbclient.so.2"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ScopedEnv env(db::kClientLibraryVariable, k.variable);
        EXPECT_EQ(db::clientLibraryFiles(), k.expected);
    }
}

TEST(ClientLibraryLoad, EachFailureNamesWhatIsMissing) {
    ASSERT_TRUE(fs::is_regular_file(systemPath(notAClient()))) << notAClient();
    TempFolder folder;
    const std::string absent = folder.path() + "/absent" + kLibraryEnding;
    const std::string absent2 = folder.path() + "/absent2" + kLibraryEnding;
    const std::string text = folder.path() + "/text" + kLibraryEnding;
    std::ofstream(systemPath(text)) << "not a library\n";
    const std::string bareName = std::string("mig-no-such-client") + kLibraryEnding;
    struct Case {
        const char* name;
        std::vector<std::string> files;
        std::string expected;
    };
    std::vector<Case> cases = {
        {"no such file", {absent}, "Unable to Load " + absent},
        {"no such file by name", {bareName}, "Unable to Load " + bareName},
        {"a file that is not a library", {text}, "Unable to Load " + text},
        {"none of two files: the first is named", {absent, absent2}, "Unable to Load " + absent},
        {"a library without the entry", {notAClient()}, "Unable to Find Procedure fb_get_master_interface"},
        {"the second file is tried", {absent, notAClient()}, "Unable to Find Procedure fb_get_master_interface"},
    };
#ifdef _WIN32
    // A bare name is found in the test program's folder, as fbclient.dll beside Migrador.exe.
    cases.push_back({"a library beside the program, by name", {std::string(MIG_NOT_A_CLIENT_FILE)},
                     "Unable to Find Procedure fb_get_master_interface"});
#endif
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ClientLibrary library([&k] { return k.files; });
        EXPECT_EQ(failureOf(library), k.expected);
        // Nothing is kept: the next use fails the same way.
        EXPECT_EQ(failureOf(library), k.expected);
    }
}

// The operator puts the missing file in place between two previews: the next use loads it.
TEST(ClientLibraryLoad, AFailureIsTriedAgainAtTheNextUse) {
    TempFolder folder;
    const std::string file = folder.path() + "/client" + kLibraryEnding;
    ClientLibrary library([&file] { return std::vector<std::string>{file}; });
    EXPECT_EQ(failureOf(library), "Unable to Load " + file);
    fs::copy_file(systemPath(notAClient()), systemPath(file));
    EXPECT_EQ(failureOf(library), "Unable to Find Procedure fb_get_master_interface");
}

TEST(ClientLibraryLoad, TheFirstLibraryLoadedIsKept) {
    MIG_REQUIRE_CLIENT();
    TempFolder folder;
    std::vector<std::string> files = {folder.path() + "/absent" + kLibraryEnding};
    ClientLibrary library([&files] { return files; });
    EXPECT_EQ(failureOf(library), "Unable to Load " + files.front());
    files = db::clientLibraryFiles();
    Firebird::IMaster* const master = &library.master();
    // The same client as the driver's: the system loads one file once.
    EXPECT_EQ(master, &db::clientMaster());
    files = {notAClient()};
    EXPECT_EQ(&library.master(), master);
}

}  // namespace
}  // namespace mig::test
