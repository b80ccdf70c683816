// Windows paths on this system: drive letters mapped to folders, components found without
// regard to case, paths that do not exist yet mapped to where they would be.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "target/platform/SystemPath.h"
#include "target/platform/WindowsPath.h"
#include "tests/legacy/LegacyFixtures.h"

namespace mig {
namespace {

using legacytest::ScopedEnv;
using legacytest::ScratchFolder;

void touch(const std::string& path) {
    std::filesystem::create_directories(systemPath(path).parent_path());
    std::ofstream(systemPath(path)) << "x";
}

#ifndef _WIN32

TEST(WindowsPath, DriveFoldersComeFromTheEnvironmentOrTheHomeFolder) {
    {
        const ScopedEnv c("KORVELAN_DRIVE_C", "/srv/drive-c");
        EXPECT_EQ(driveFolder('C'), "/srv/drive-c");
        EXPECT_EQ(driveFolder('c'), "/srv/drive-c");
    }
    const ScopedEnv c("KORVELAN_DRIVE_C", std::nullopt);
    const ScopedEnv d("KORVELAN_DRIVE_D", std::nullopt);
    const ScopedEnv home("HOME", "/home/operador");
    EXPECT_EQ(driveFolder('C'), "/home/operador/.local/share/korvelan/drive_c");
    EXPECT_EQ(driveFolder('d'), "/home/operador/.local/share/korvelan/drive_d");
}

TEST(WindowsPath, ComponentsAreFoundWithoutRegardToCase) {
    ScratchFolder drive;
    const ScopedEnv c("KORVELAN_DRIVE_C", drive.path());
    touch(drive.path() + "/quiltor/QTR17A.DBF");
    touch(drive.path() + "/korvelan/Dados/korvelan.bd");
    struct Case {
        const char* windows;
        std::string expected;
    };
    const Case cases[] = {
        {"C:\\Quiltor\\qtr17A.DBF", drive.path() + "/quiltor/QTR17A.DBF"},
        {"c:/QUILTOR/qtr17a.dbf", drive.path() + "/quiltor/QTR17A.DBF"},
        {"C:\\korvelan\\dados\\korvelan.bd", drive.path() + "/korvelan/Dados/korvelan.bd"},
        {"\\Quiltor\\", drive.path() + "/quiltor"},
        {"C:\\Quiltor\\QTR99.DBF", drive.path() + "/quiltor/QTR99.DBF"},
        {"C:\\Novo\\Sub\\arquivo.bd", drive.path() + "/Novo/Sub/arquivo.bd"},
        {"C:", drive.path()},
        {"C:\\", drive.path()},
    };
    for (const Case& k : cases) EXPECT_EQ(resolveWindowsPath(k.windows), k.expected) << k.windows;
}

TEST(WindowsPath, ExactSpellingWinsOverOtherCases) {
    ScratchFolder drive;
    const ScopedEnv c("KORVELAN_DRIVE_C", drive.path());
    touch(drive.path() + "/Quiltor/a.dbf");
    touch(drive.path() + "/quiltor/b.dbf");
    EXPECT_EQ(resolveWindowsPath("C:\\quiltor\\b.dbf"), drive.path() + "/quiltor/b.dbf");
    EXPECT_EQ(resolveWindowsPath("C:\\Quiltor\\a.dbf"), drive.path() + "/Quiltor/a.dbf");
    EXPECT_EQ(resolveWindowsPath("C:\\QUILTOR"), drive.path() + "/Quiltor") << "first in name order";
}

TEST(WindowsPath, PathsOfThisSystemAreMatchedToo) {
    ScratchFolder folder;
    touch(folder.path() + "/Dados/X.FDB");
    EXPECT_EQ(resolveWindowsPath(folder.path() + "/dados/x.fdb"), folder.path() + "/Dados/X.FDB");
    EXPECT_EQ(findEntryIgnoringCase(folder.path(), "DADOS"), std::optional<std::string>("Dados"));
    EXPECT_EQ(findEntryIgnoringCase(folder.path(), "nada"), std::nullopt);
    EXPECT_EQ(findEntryIgnoringCase(folder.path() + "/ausente", "x"), std::nullopt);
}

#else

TEST(WindowsPath, OnWindowsThePathsAreTheMachinesOwn) {
    const ScopedEnv c("KORVELAN_DRIVE_C", "Z:\\elsewhere");  // no meaning on Windows
    EXPECT_EQ(driveFolder('c'), "C:\\");
    EXPECT_EQ(driveFolder('D'), "D:\\");
    for (const char* path : {"C:\\Quiltor", "C:\\Quiltor\\qtr17A.DBF", "c:/korvelan/dados/korvelan.bd", "\\Quiltor"})
        EXPECT_EQ(resolveWindowsPath(path), path);
}

TEST(WindowsPath, TheFileSystemFindsNamesWithoutRegardToCase) {
    ScratchFolder folder;
    touch(folder.path() + "\\Dados\\X.FDB");
    EXPECT_EQ(findEntryIgnoringCase(folder.path(), "DADOS"), std::optional<std::string>("DADOS"));
    EXPECT_EQ(findEntryIgnoringCase(folder.path() + "\\dados", "x.fdb"), std::optional<std::string>("x.fdb"));
    EXPECT_EQ(findEntryIgnoringCase(folder.path(), "nada"), std::nullopt);
    EXPECT_EQ(findEntryIgnoringCase(folder.path() + "\\ausente", "x"), std::nullopt);
}

// Names beyond ASCII reach the file system as the text says (paths are UTF-8 in the program).
TEST(WindowsPath, NamesBeyondAsciiReachTheFileSystem) {
    ScratchFolder folder;
    const std::string name = "Migra\xC3\xA7\xC3\xA3o";  // "Migração" in UTF-8
    touch(folder.path() + "\\" + name + "\\a.txt");
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder.path()) / L"Migra\u00E7\u00E3o" / L"a.txt"));
    EXPECT_EQ(findEntryIgnoringCase(folder.path(), name), std::optional<std::string>(name));
}

#endif

}  // namespace
}  // namespace mig
