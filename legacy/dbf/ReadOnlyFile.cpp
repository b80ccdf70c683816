#include "legacy/dbf/ReadOnlyFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "target/field/Errors.h"
#include "target/platform/SystemPath.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mig::dbf {

#ifdef _WIN32

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::uint64_t join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

// The code of the last failure, as the operator can look it up (32: another program holds the
// file without sharing it).
std::string windowsError() { return " (Windows error " + std::to_string(GetLastError()) + ")"; }

HANDLE openShared(const std::string& path, DWORD access, DWORD flags) {
    return CreateFileW(systemPath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
}

}  // namespace

ReadOnlyFile::ReadOnlyFile(const std::string& path) : path_(path) {
    HANDLE file = openShared(path, GENERIC_READ, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS);
    if (file == INVALID_HANDLE_VALUE) throw DataError("Cannot open " + path + windowsError());
    // Reading through this handle must not move the file's last-access time.
    FILETIME keep{0xFFFFFFFF, 0xFFFFFFFF};
    SetFileTime(file, nullptr, &keep, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
        const std::string why = windowsError();
        CloseHandle(file);
        throw DataError("Cannot read the size of " + path + why);
    }

    handle_ = file;
    size_ = join(info.nFileSizeHigh, info.nFileSizeLow);
    volume_ = info.dwVolumeSerialNumber;
    index_ = join(info.nFileIndexHigh, info.nFileIndexLow);
    written_ = join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
}

ReadOnlyFile::~ReadOnlyFile() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, char* buffer, std::size_t length) const {
    std::size_t done = 0;
    while (done < length) {
        OVERLAPPED at{};
        const std::uint64_t where = offset + done;
        at.Offset = static_cast<DWORD>(where & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(where >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(static_cast<HANDLE>(handle_), buffer + done, chunk, &got, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            throw DataError("Cannot read " + path_ + windowsError());
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

FileChange ReadOnlyFile::changeSinceOpened() const {
    HANDLE now = openShared(path_, FILE_READ_ATTRIBUTES, FILE_ATTRIBUTE_NORMAL);
    // A file deleted while open stays until its last handle closes, refusing to be opened.
    if (now == INVALID_HANDLE_VALUE) return FileChange::Deleted;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(now, &info);
    CloseHandle(now);
    if (!ok) return FileChange::Deleted;
    if (info.dwVolumeSerialNumber != volume_ || join(info.nFileIndexHigh, info.nFileIndexLow) != index_)
        return FileChange::Replaced;
    if (join(info.nFileSizeHigh, info.nFileSizeLow) != size_ ||
        join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime) != written_)
        return FileChange::Changed;
    return FileChange::None;
}

#else

ReadOnlyFile::ReadOnlyFile(const std::string& path) : path_(path) {
    const int flags = O_RDONLY | O_CLOEXEC;
#ifdef O_NOATIME
    // Leave the access time alone when the system lets us (only the owner may ask).
    int fd = ::open(path.c_str(), flags | O_NOATIME);
    if (fd < 0 && errno == EPERM) fd = ::open(path.c_str(), flags);
#else
    int fd = ::open(path.c_str(), flags);
#endif
    if (fd < 0) throw DataError("Cannot open " + path + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throw DataError("Cannot read the size of " + path + ": " + std::strerror(err));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw DataError("Not a file: " + path);
    }
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    device_ = static_cast<std::uint64_t>(st.st_dev);
    inode_ = static_cast<std::uint64_t>(st.st_ino);
    modifiedSeconds_ = st.st_mtim.tv_sec;
    modifiedNanoseconds_ = st.st_mtim.tv_nsec;
}

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, char* buffer, std::size_t length) const {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd_, buffer + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            throw DataError("Cannot read " + path_ + ": " + std::strerror(errno));
        }
        if (got == 0) break;  // the file ends here now
        done += static_cast<std::size_t>(got);
    }
    return done;
}

FileChange ReadOnlyFile::changeSinceOpened() const {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) return FileChange::Deleted;
    if (static_cast<std::uint64_t>(st.st_dev) != device_ || static_cast<std::uint64_t>(st.st_ino) != inode_)
        return FileChange::Replaced;
    if (static_cast<std::uint64_t>(st.st_size) != size_ || st.st_mtim.tv_sec != modifiedSeconds_ ||
        st.st_mtim.tv_nsec != modifiedNanoseconds_)
        return FileChange::Changed;
    return FileChange::None;
}

#endif

}  // namespace mig::dbf
