#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "app/Config.h"
#include "target/platform/SystemPath.h"
#include "tests/support/TempFolder.h"

namespace mig {
namespace {

const std::string kKey(kServerKey);

std::string keyLine(const std::string& fromColumn49) { return kKey + fromColumn49; }

struct ConfigCase {
    const char* name;
    std::string contents;
    std::string before;  // ServerAddress before the file is read
    std::string expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ConfigCase& c, std::ostream* os) { *os << c.name; }

class ServerAddressTable : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(ServerAddressTable, ReadsTheLastMatchingLine) {
    const ConfigCase& c = GetParam();
    EXPECT_EQ(serverAddressFromConfig(c.contents, c.before), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Config, ServerAddressTable,
    ::testing::Values(
        ConfigCase{"plain", keyLine(" 192.168.0.10\n"), "", "192.168.0.10"},
        ConfigCase{"no_line_end", keyLine(" 10.0.0.1"), "", "10.0.0.1"},
        ConfigCase{"crlf", keyLine(" 10.0.0.1\r\n"), "", "10.0.0.1"},
        ConfigCase{"lone_cr_dropped", keyLine(" 10.0\r.0.1\n"), "", "10.0.0.1"},
        ConfigCase{"exactly_the_key", kKey + "\n", "old", ""},
        ConfigCase{"value_in_column_49_loses_first_char", keyLine("10.0.0.1\n"), "", "0.0.0.1"},
        ConfigCase{"key_in_other_case", "ip do servidor central.........................: 1.2.3.4\n", "", ""},
        ConfigCase{"one_dot_less", "IP DO SERVIDOR CENTRAL........................: 1.2.3.4\n", "", ""},
        ConfigCase{"missing_colon", "IP DO SERVIDOR CENTRAL......................... 1.2.3.4\n", "", ""},
        ConfigCase{"prefix_of_key", "IP DO SERVIDOR CENTRAL....\n", "x", "x"},
        ConfigCase{"blanks_trimmed", keyLine("      server1     \n"), "", "server1"},
        ConfigCase{"tab_stays", keyLine(" \tserver1\n"), "", "\tserver1"},
        ConfigCase{"cut_to_30", keyLine(" 123456789012345678901234567890XYZ\n"), "",
                   "123456789012345678901234567890"},
        ConfigCase{"cut_leaves_blank", keyLine(" 12345678901234567890123456789 X\n"), "",
                   "12345678901234567890123456789 "},
        ConfigCase{"columns_after_109_ignored", keyLine(" " + std::string(55, ' ') + "abcdeXYZ\n"), "",
                   "abcde"},
        ConfigCase{"later_line_wins", keyLine(" first\n") + keyLine(" second\n"), "", "second"},
        ConfigCase{"later_empty_value_clears", keyLine(" first\n") + kKey + "\n", "", ""},
        ConfigCase{"other_lines_ignored", "[section]\nfoo=bar\n" + keyLine(" host\n") + "junk\n", "", "host"},
        ConfigCase{"ctrl_z_ends_file", keyLine(" first\n") + "\x1A" + keyLine(" second\n"), "", "first"},
        ConfigCase{"long_line", std::string(5000, 'x') + "\n" + keyLine(" h\n"), "", "h"},
        ConfigCase{"empty_file", "", "kept", "kept"}),
    [](const ::testing::TestParamInfo<ConfigCase>& p) { return std::string(p.param.name); });

// What stands in the program's folder under the file's name decides whether start-up reads it or
// ends silently: a folder or a link that leads nowhere is no file.
TEST(ReadServerAddress, OnlyAFileOfThatNameIsRead) {
    namespace fs = std::filesystem;
    const struct {
        const char* name;
        bool missing;
    } cases[] = {{"nothing", true}, {"folder", true}, {"dangling link", true}, {"link to a folder", true},
                 {"file", false}, {"link to a file", false}};
    for (const auto& c : cases) {
#ifdef _WIN32
        // Links need a privilege on Windows that a workstation's user does not have.
        if (std::string_view(c.name).find("link") != std::string_view::npos) continue;
#endif
        test::TempFolder program;
        const fs::path ini = fs::path(program.path()) / std::string(kConfigFileName);
        const fs::path target = fs::path(program.path()) / "elsewhere";
        const std::string name = c.name;
        if (name == "folder") fs::create_directory(ini);
        if (name == "dangling link") fs::create_symlink(target, ini);
        if (name == "link to a folder") {
            fs::create_directory(target);
            fs::create_directory_symlink(target, ini);
        }
        if (name == "file" || name == "link to a file") {
            std::ofstream(name == "file" ? ini : target) << kKey << " 10.0.0.7\r\n";
            if (name == "link to a file") fs::create_symlink(target, ini);
        }
        setExecutableDirForTesting(program.path() + "/");
        ServerAddress.clear();
        if (c.missing) {
            EXPECT_THROW(ReadServerAddress(), ConfigMissing) << name;
        } else {
            EXPECT_NO_THROW(ReadServerAddress()) << name;
            EXPECT_EQ(ServerAddress, "10.0.0.7") << name;
        }
        setExecutableDirForTesting({});
    }
    ServerAddress.clear();
}

TEST(TrimBlanks, OnlyTheBlankCounts) {
    EXPECT_EQ(TrimBlanks("  a b  "), "a b");
    EXPECT_EQ(TrimBlanks("    "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
}

#ifdef _WIN32
constexpr char kSeparator = '\\';
constexpr const char* kTestProgram = "config_tests.exe";
#else
constexpr char kSeparator = '/';
constexpr const char* kTestProgram = "config_tests";
#endif

// The program's folder as the system gives it: the folder of the running executable, ending
// with the separator (on Windows "Z:\\...\\" under Wine, "C:\\...\\" on a workstation).
TEST(ProgramFolder, IsTheExecutablesFolderWithItsSeparator) {
    const std::string dir = executableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), kSeparator);
    EXPECT_TRUE(std::filesystem::exists(systemPath(dir + kTestProgram))) << dir;
#ifdef _WIN32
    ASSERT_GE(dir.size(), 3u);
    EXPECT_EQ(dir.substr(1, 2), ":\\") << "a drive path: " << dir;
#endif
}

// Start-up's reading of KORVELAN.INI in a program folder of the test's own, whose name is not
// ASCII (a folder such as "C:\\Migração\\" on a workstation).
class ConfigInProgramFolder : public ::testing::Test {
protected:
    ConfigInProgramFolder() : dir_(folder_.path() + kSeparator + "Migra\xC3\xA7\xC3\xA3o" + kSeparator) {
        std::filesystem::create_directories(systemPath(dir_));
        setExecutableDirForTesting(dir_);
        ServerAddress.clear();
    }
    ~ConfigInProgramFolder() override {
        setExecutableDirForTesting({});
        ServerAddress.clear();
        ProgramDir.clear();
    }
    void writeConfig(const std::string& contents) const {
        std::ofstream(systemPath(dir_ + "KORVELAN.INI"), std::ios::binary) << contents;
    }

    test::TempFolder folder_;
    std::string dir_;
};

TEST_F(ConfigInProgramFolder, SetsTheProgramFolderAndTheServerAddress) {
    writeConfig("IP DO SERVIDOR CENTRAL.........................: 192.168.0.10\r\n");
    ReadServerAddress();
    EXPECT_EQ(ProgramDir, dir_);
    EXPECT_EQ(ServerAddress, "192.168.0.10");
}

TEST_F(ConfigInProgramFolder, AMissingFileEndsStartUp) {
    EXPECT_THROW(ReadServerAddress(), ConfigMissing);
    EXPECT_EQ(ProgramDir, dir_);
    EXPECT_EQ(ServerAddress, "");
}

}  // namespace
}  // namespace mig
