#pragma once
// A file opened for reading and shared with every other program (on Windows: read, write and
// delete sharing); nothing is locked, written or changed, not even the access time where the
// system allows it. Its bytes are read on demand at given offsets, never mapped: another
// program may cut the file short while it is open, and a read past the new end then reports
// what it found instead of bringing the process down (a mapped page past the end of a file
// raises SIGBUS).
#include <cstddef>
#include <cstdint>
#include <string>

namespace mig::dbf {

// What became of a file since it was opened, as its path shows it now.
enum class FileChange : std::uint8_t {
    None,
    Deleted,   // no file at the path any more
    Replaced,  // another file at the path (written beside it and renamed, say)
    Changed,   // the same file, written to: another size or another modification time
};

class ReadOnlyFile {
public:
    // Fails with DataError naming the path when it cannot be opened or is not a regular file.
    explicit ReadOnlyFile(const std::string& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    const std::string& path() const { return path_; }
    // The size when the file was opened.
    std::uint64_t size() const { return size_; }

    // Reads up to `length` bytes at `offset` into `buffer`; returns how many there were (fewer
    // only where the file now ends). Fails with DataError naming the path on a read error.
    std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t length) const;

    // Compares the file at the path now with the one opened.
    FileChange changeSinceOpened() const;

private:
    std::string path_;
    std::uint64_t size_ = 0;
#ifdef _WIN32
    void* handle_ = nullptr;
    std::uint64_t volume_ = 0, index_ = 0, written_ = 0;
#else
    int fd_ = -1;
    std::uint64_t device_ = 0, inode_ = 0;
    std::int64_t modifiedSeconds_ = 0, modifiedNanoseconds_ = 0;
#endif
};

}  // namespace mig::dbf
