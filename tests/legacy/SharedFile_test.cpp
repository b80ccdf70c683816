// A legacy file that the legacy product holds open while the table reads it: the table opens it
// shared and reads it, and leaves the product free to write, lock and delete it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "legacy/LegacyTable.h"
#include "target/field/Errors.h"
#include "target/platform/SystemPath.h"
#include "tests/legacy/LegacyFixtures.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace mig {
namespace {

using dbf::DbfWriter;
using legacytest::LegacyDrive;

DbfWriter dosages() {
    DbfWriter w(0x03, {{"POSCODIGO", 'C', 4}, {"POSDESCRI", 'C', 30}});
    w.add({"1", "UMA VEZ AO DIA"}).add({"2", "DUAS VEZES AO DIA"});
    return w;
}

std::vector<std::string> walk(LegacyTable& t) {
    std::vector<std::string> seen;
    for (t.First(); !t.Eof(); t.Next()) seen.push_back(t.FieldByName("POSDESCRI").asText());
    return seen;
}

// The file as another program holds it: open for reading and writing, sharing reading and
// writing with others (what a dBase program does with a table it works on).
class OtherProgram {
public:
    explicit OtherProgram(const std::string& path) {
#ifdef _WIN32
        handle_ = CreateFileW(systemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) ADD_FAILURE() << "the other program cannot open " << path;
#else
        fd_ = ::open(path.c_str(), O_RDWR);
        if (fd_ < 0) ADD_FAILURE() << "the other program cannot open " << path;
#endif
    }
    ~OtherProgram() {
#ifdef _WIN32
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
#else
        if (fd_ >= 0) ::close(fd_);
#endif
    }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    // Writes `bytes` at `offset` through its own handle.
    void write(long offset, const std::string& bytes) {
#ifdef _WIN32
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        DWORD done = 0;
        ASSERT_TRUE(WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &done, &at));
        ASSERT_EQ(done, bytes.size());
#else
        ASSERT_EQ(::pwrite(fd_, bytes.data(), bytes.size(), offset), static_cast<ssize_t>(bytes.size()));
#endif
    }

private:
#ifdef _WIN32
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
    int fd_ = -1;
#endif
};

TEST(SharedLegacyFile, ATableOpensAndReadsAFileAnotherProgramHoldsOpenForWriting) {
    LegacyDrive drive;
    const std::string path = drive.write(dosages(), "QTR49.DBF");
    OtherProgram product(path);
    LegacyTable t("Posologias", "QTR49", drive.legacyFolder());
    ASSERT_NO_THROW(t.Open());
    EXPECT_EQ(walk(t), (std::vector<std::string>{"UMA VEZ AO DIA", "DUAS VEZES AO DIA"}));
    t.Close();

    // What the product writes meanwhile is read by the next opening.
    const dbf::Header header = dbf::parseHeader(legacytest::readBytes(path), "QTR49.DBF");
    std::string description = "TRES VEZES AO DIA";
    description.resize(30, ' ');
    product.write(static_cast<long>(header.headerLength) + 1 + 4, description);
    t.Open();
    EXPECT_EQ(walk(t).at(0).rfind("TRES VEZES AO DIA", 0), 0u) << walk(t).at(0);
}

#ifdef _WIN32

// Windows refuses a program a sharing that an open handle does not grant, and reading through a
// handle never stands in the way of another's byte-range lock.
TEST(SharedLegacyFile, WhileATableIsOpenAnotherProgramMayTakeTheFileForWritingLockItAndDeleteIt) {
    LegacyDrive drive;
    const std::string path = drive.write(dosages(), "QTR49.DBF");
    LegacyTable t("Posologias", "QTR49", drive.legacyFolder());
    t.Open();

    // Writing while denying other writers: possible only when no other handle writes.
    HANDLE exclusiveWriter = CreateFileW(systemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(exclusiveWriter, INVALID_HANDLE_VALUE) << "Windows error " << GetLastError();
    OVERLAPPED whole{};
    EXPECT_TRUE(LockFileEx(exclusiveWriter, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                           &whole))
        << "Windows error " << GetLastError();
    UnlockFileEx(exclusiveWriter, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(exclusiveWriter);

    // Deleting: the table's handle shares deletion. (Windows then tells the table, whose next
    // walk fails, through the pending deletion or the missing name; Wine shows neither while a
    // handle is open, so that is not looked at here.)
    EXPECT_TRUE(DeleteFileW(systemPath(path).c_str())) << "Windows error " << GetLastError();
    t.Close();
    EXPECT_FALSE(std::filesystem::exists(systemPath(path)));
}

#endif

}  // namespace
}  // namespace mig
